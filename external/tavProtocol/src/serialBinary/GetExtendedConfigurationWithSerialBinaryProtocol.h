#pragma once

#include <cstdint>
#include <vector>

#include "common/ExtendedConfiguration.h"
#include "common/FieldSeparatorDataHeader.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// The extended configuration of the active configuration: its header first, which says how many
// bytes the second frame asks for, then the whole image.
class GetExtendedConfigurationWithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    void Reset() override;
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 2; }
    std::vector<uint8_t> NextCommandPhrase() override;
    // The first reply is the header: checked on arrival, kept decoded, not stored.
    void AddResponsePhrase(const std::vector<uint8_t>& response) override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 2; }

    void ValidateResponse();
    TavCommon::ExtendedConfiguration GetResult();

    void validateAndParseHeaderResponse(const std::vector<uint8_t>& response);

private:
    std::size_t ImageLength() const { return std::size_t{8} * header_.MaxStorageSize; }

    TavCommon::FieldSeparatorDataHeader header_;
};

}  // namespace TavProtocol
