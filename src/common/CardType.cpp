#include "common/CardType.h"

#include <utility>

#include "common/FixedText.h"

namespace TavCommon {

CardType::CardType(const TavCardType& record)
    : code_(record.code),
      description_(ReadFixedField(record.description)),
      name_(ReadFixedField(record.name)),
      flags_(record.flags),
      flags2_(record.flags2) {}

CardType::CardType(uint16_t code, std::string description, std::string name, uint8_t flags, uint8_t flags2)
    : code_(code), description_(std::move(description)), name_(std::move(name)), flags_(flags), flags2_(flags2) {}

TavCardType CardType::ToCRecord() const {
    TavCardType record{};
    record.code = code_;
    CopyToFixedField(record.description, description_);
    CopyToFixedField(record.name, name_);
    record.flags = flags_;
    record.flags2 = flags2_;
    return record;
}

}  // namespace TavCommon
