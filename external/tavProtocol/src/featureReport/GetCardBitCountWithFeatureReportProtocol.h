#pragma once

#include <cstdint>
#include <vector>

#include "featureReport/FeatureReportCommand.h"

namespace TavProtocol {

// Reads the bit count of the card the reader holds.
class GetCardBitCountWithFeatureReportProtocol : public FeatureReportCommand {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    uint8_t GetResult() const;
};

}  // namespace TavProtocol
