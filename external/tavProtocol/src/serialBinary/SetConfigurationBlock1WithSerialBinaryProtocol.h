#pragma once

#include <cstdint>
#include <vector>

#include "common/ReaderConfigurationBlock1.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// Writes configuration block 1 of the active configuration: header and block in one frame.
class SetConfigurationBlock1WithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    explicit SetConfigurationBlock1WithSerialBinaryProtocol(const ReaderConfigurationBlock1& block) : block_(block) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse();

private:
    ReaderConfigurationBlock1 block_;
};

}  // namespace TavProtocol
