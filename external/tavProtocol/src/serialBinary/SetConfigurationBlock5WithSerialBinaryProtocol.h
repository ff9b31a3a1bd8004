#pragma once

#include <cstdint>
#include <vector>

#include "common/ReaderConfigurationBlock5.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// Writes configuration block 5 of the active configuration: header and block in one frame.
class SetConfigurationBlock5WithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    explicit SetConfigurationBlock5WithSerialBinaryProtocol(const ReaderConfigurationBlock5& block) : block_(block) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse();

private:
    ReaderConfigurationBlock5 block_;
};

}  // namespace TavProtocol
