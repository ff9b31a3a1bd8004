#pragma once

#include <cstdint>
#include <vector>

#include "featureReport/FeatureReportCommand.h"
#include "records/TransparentModeStatusInformation.h"

namespace TavProtocol {

// Reads whether the reader has transparent mode, and its state and status.
class GetTransparentModeStatusWithFeatureReportProtocol : public FeatureReportCommand {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse() const;
    TransparentModeStatusInformation GetResult() const;
};

}  // namespace TavProtocol
