#pragma once

#include <cstdint>
#include <vector>

#include "mfp24/Mfp24Command.h"
#include "records/BEEP_DURATION.h"

namespace TavProtocol {

// Sounds the beeper: "BS" (short) or "BL" (long) and the count as a digit.
class BeepWithMfp24Protocol : public Mfp24Command {
public:
    // The count in the low byte, the duration in the high byte.
    explicit BeepWithMfp24Protocol(uint16_t countAndDuration)
        : count_(static_cast<uint8_t>(countAndDuration)),
          duration_(static_cast<BEEP_DURATION>(countAndDuration >> 8)) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ == 0; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrases_.empty(); }

    void ValidateResponse() const;

private:
    char DurationLetter() const { return duration_ == BEEP_DURATION::Long ? 'L' : 'S'; }

    uint8_t count_;
    BEEP_DURATION duration_;
};

}  // namespace TavProtocol
