#pragma once

#include <cstdint>
#include <vector>

#include "common/ReaderConfigurationBlock3.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// Configuration block 3 of the active configuration.
class GetConfigurationBlock3WithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse();
    ReaderConfigurationBlock3 GetResult();
};

}  // namespace TavProtocol
