#pragma once

#include <cstdint>
#include <vector>

#include "records/BEEP_DURATION.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// Makes the reader beep: a count of short beeps, or of long ones.
class BeepWithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    BeepWithSerialBinaryProtocol(uint8_t count, BEEP_DURATION duration) : duration_(duration), count_(count) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse();

private:
    BEEP_DURATION duration_;
    uint8_t count_;
};

}  // namespace TavProtocol
