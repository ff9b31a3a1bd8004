#pragma once

#include <cstdint>
#include <vector>

#include "common/ReaderConfigurationBlock3.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// Writes configuration block 3 of the active configuration: header and block in one frame.
class SetConfigurationBlock3WithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    explicit SetConfigurationBlock3WithSerialBinaryProtocol(const ReaderConfigurationBlock3& block) : block_(block) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse();

private:
    ReaderConfigurationBlock3 block_;
};

}  // namespace TavProtocol
