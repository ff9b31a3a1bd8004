#pragma once

#include <cstdint>
#include <vector>

#include "featureReport/FeatureReportCommand.h"
#include "records/BeepVolume.h"

namespace TavProtocol {

// Reads the beeper volume.
class GetBeeperVolumeWithFeatureReportProtocol : public FeatureReportCommand {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    BeepVolume GetResult() const;
};

}  // namespace TavProtocol
