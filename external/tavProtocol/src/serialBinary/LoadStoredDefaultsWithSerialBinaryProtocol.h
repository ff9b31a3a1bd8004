#pragma once

#include <cstdint>
#include <vector>

#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// Loads the stored defaults into the working configuration.
class LoadStoredDefaultsWithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse();
};

}  // namespace TavProtocol
