#pragma once

#include <cstdint>
#include <vector>

#include "common/ExtendedConfiguration.h"
#include "common/HashData.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// Writes the extended configuration's 128-byte image, then each hash the reader needs to accept
// it: both when its firmware enforces enhanced security, else each hash that is not all zero.
class SetExtendedConfigurationWithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    // Throws ElvarinException when the configuration has no valid image.
    SetExtendedConfigurationWithSerialBinaryProtocol(const TavCommon::ExtendedConfiguration& configuration,
                                                     const TavCommon::HashData& hashData);

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < PhraseCount(); }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < PhraseCount(); }

    void ValidateResponse();

private:
    using Hash = std::vector<uint8_t>;

    int32_t PhraseCount() const { return 1 + sendFirstPart_ + sendSecondPart_; }

    std::vector<uint8_t> configuration_;
    Hash firstHash_;
    Hash secondHash_;
    uint8_t enhanceSecurityFirmwareState_;
    uint8_t sendFirstPart_;
    uint8_t sendSecondPart_;
};

}  // namespace TavProtocol
