#pragma once

#include <cstdint>
#include <vector>

#include "core/ReplyReader.h"
#include "featureReport/FeatureReportCommand.h"
#include "records/ActiveConfigurationInformation.h"

namespace TavProtocol {

// Reads which configuration is active and how many the reader holds.
class GetActiveConfigurationWithFeatureReportProtocol : public FeatureReportCommand {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse() const;
    ActiveConfigurationInformation GetResult() const;

    // The record as both the read and the selection of a configuration carry it; byte 4 is unused.
    static ActiveConfigurationInformation Decode(const ReplyReader& reply);
};

}  // namespace TavProtocol
