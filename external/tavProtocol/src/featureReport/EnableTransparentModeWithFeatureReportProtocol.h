#pragma once

#include <cstdint>
#include <vector>

#include "featureReport/FeatureReportCommand.h"

namespace TavProtocol {

// Switches transparent mode on (1) or off (0); the reader echoes the request.
class EnableTransparentModeWithFeatureReportProtocol : public FeatureReportCommand {
public:
    explicit EnableTransparentModeWithFeatureReportProtocol(uint8_t enable) : enable_(enable) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse() const;

private:
    std::vector<uint8_t> RequestPhrase() const;

    uint8_t enable_;
};

}  // namespace TavProtocol
