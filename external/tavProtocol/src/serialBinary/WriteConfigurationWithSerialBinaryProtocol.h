#pragma once

#include <cstdint>
#include <vector>

#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// Stores the working configuration in the reader's non-volatile memory, with the LUID when asked.
class WriteConfigurationWithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    // writeLuidToFlash is 0 or 1 (the visitor checks it).
    explicit WriteConfigurationWithSerialBinaryProtocol(uint8_t writeLuidToFlash)
        : writeLuidToFlash_(writeLuidToFlash) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse();

private:
    uint8_t writeLuidToFlash_;
};

}  // namespace TavProtocol
