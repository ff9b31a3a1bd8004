#pragma once

#include "Tavelin/Export.h"

#include <cstdint>
#include <string>

#include "Tavelin/TavCardType.h"

namespace TavCommon {

// One entry of the card-type catalogue: code, display description, upper-case identifier name and
// two classification bytes that the library only carries to hosts. Hosts receive entries from
// Tav::Reader::GetSupportedCardTypes and read them through the getters.
class TAV_API CardType {
public:
    // Texts are read up to their first NUL, and never past their fields.
    explicit CardType(const TavCardType& record);
    CardType(uint16_t code, std::string description, std::string name, uint8_t flags, uint8_t flags2);

    uint16_t GetCode() const { return code_; }
    const std::string& GetDescription() const { return description_; }
    const std::string& GetName() const { return name_; }
    uint8_t GetFlags() const { return flags_; }
    uint8_t GetFlags2() const { return flags2_; }

    // The flat record; texts longer than their fields are cut, and always NUL-terminated.
    TavCardType ToCRecord() const;

private:
    uint16_t code_;
    std::string description_;
    std::string name_;
    uint8_t flags_;
    uint8_t flags2_;
};

}  // namespace TavCommon
