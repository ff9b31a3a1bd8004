#pragma once

#include <cstdint>
#include <vector>

#include "featureReport/FeatureReportCommand.h"
#include "records/CardAnalyzerStatus.h"

namespace TavProtocol {

// Reads the card analyzer's status.
class GetCardAnalyzerStatusWithFeatureReportProtocol : public FeatureReportCommand {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    CardAnalyzerStatus GetResult() const;
};

}  // namespace TavProtocol
