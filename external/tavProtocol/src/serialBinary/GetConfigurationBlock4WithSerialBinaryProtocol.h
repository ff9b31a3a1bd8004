#pragma once

#include <cstdint>
#include <vector>

#include "common/ReaderConfigurationBlock4.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// Configuration block 4 of the active configuration.
class GetConfigurationBlock4WithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse();
    ReaderConfigurationBlock4 GetResult();
};

}  // namespace TavProtocol
