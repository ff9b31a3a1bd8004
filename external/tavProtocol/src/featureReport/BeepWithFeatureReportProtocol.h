#pragma once

#include <cstdint>
#include <vector>

#include "featureReport/FeatureReportCommand.h"

namespace TavProtocol {

// Sounds the beeper: a count of short beeps, or of long ones when the long-beep flag is 1.
class BeepWithFeatureReportProtocol : public FeatureReportCommand {
public:
    BeepWithFeatureReportProtocol(uint32_t beepCount, uint8_t longBeeps)
        : beepCount_(beepCount), longBeeps_(longBeeps) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    // The reply is kept but not checked: the reader's acknowledgement says nothing about the beeps.
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

private:
    uint32_t beepCount_;
    uint8_t longBeeps_;
};

}  // namespace TavProtocol
