#pragma once

#include <cstdint>
#include <vector>

#include "common/ReaderConfigurationBlock1.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// Configuration block 1 of the active configuration.
class GetConfigurationBlock1WithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse();
    ReaderConfigurationBlock1 GetResult();
};

}  // namespace TavProtocol
