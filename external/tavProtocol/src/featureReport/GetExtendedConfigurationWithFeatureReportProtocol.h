#pragma once

#include <cstdint>
#include <vector>

#include "common/ExtendedConfiguration.h"
#include "common/FieldSeparatorDataHeader.h"
#include "featureReport/FeatureReportCommand.h"

namespace TavProtocol {

// Reads the 128-byte extended configuration of the active configuration, 8 bytes per phrase. The
// first reply's header says how many records there are; it is checked as it arrives.
class GetExtendedConfigurationWithFeatureReportProtocol : public FeatureReportCommand {
public:
    void Reset() override;
    bool HasCommandPhrase() override;
    std::vector<uint8_t> NextCommandPhrase() override;
    void AddResponsePhrase(const std::vector<uint8_t>& response) override;
    bool ExpectsResponsePhrase() override;

    void ValidateResponse() const;
    TavCommon::ExtendedConfiguration GetResult() const;

private:
    void validateAndParseHeaderResponse(const std::vector<uint8_t>& response);

    TavCommon::FieldSeparatorDataHeader header_{};
};

}  // namespace TavProtocol
