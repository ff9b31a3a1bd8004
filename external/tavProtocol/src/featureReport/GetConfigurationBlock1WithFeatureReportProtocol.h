#pragma once

#include <cstdint>
#include <vector>

#include "common/ReaderConfigurationBlock1.h"
#include "featureReport/FeatureReportCommand.h"

namespace TavProtocol {

// Reads configuration block 1 of the active configuration; the reply is the block itself.
class GetConfigurationBlock1WithFeatureReportProtocol : public FeatureReportCommand {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    ReaderConfigurationBlock1 GetResult() const;
};

}  // namespace TavProtocol
