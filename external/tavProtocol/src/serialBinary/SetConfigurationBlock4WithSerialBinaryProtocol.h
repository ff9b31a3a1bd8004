#pragma once

#include <cstdint>
#include <vector>

#include "common/ReaderConfigurationBlock4.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// Writes configuration block 4 of the active configuration: header and block in one frame.
class SetConfigurationBlock4WithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    explicit SetConfigurationBlock4WithSerialBinaryProtocol(const ReaderConfigurationBlock4& block) : block_(block) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse();

private:
    ReaderConfigurationBlock4 block_;
};

}  // namespace TavProtocol
