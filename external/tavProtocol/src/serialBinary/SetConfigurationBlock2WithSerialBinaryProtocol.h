#pragma once

#include <cstdint>
#include <vector>

#include "common/ReaderConfigurationBlock2.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// Writes configuration block 2 of the active configuration: header and block in one frame.
class SetConfigurationBlock2WithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    explicit SetConfigurationBlock2WithSerialBinaryProtocol(const ReaderConfigurationBlock2& block) : block_(block) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse();

private:
    ReaderConfigurationBlock2 block_;
};

}  // namespace TavProtocol
