#pragma once

#include <cstdint>
#include <vector>

#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// How long the reader has been running.
class GetSystemUptimeWithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse();
    uint32_t GetResult();
};

}  // namespace TavProtocol
