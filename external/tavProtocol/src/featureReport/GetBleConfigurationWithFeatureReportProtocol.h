#pragma once

#include <cstdint>
#include <vector>

#include "featureReport/FeatureReportCommand.h"
#include "records/BleConfiguration.h"

namespace TavProtocol {

// Reads the BLE radio settings. The reply's size and header are checked as it arrives.
class GetBleConfigurationWithFeatureReportProtocol : public FeatureReportCommand {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ == 0; }
    std::vector<uint8_t> NextCommandPhrase() override;
    void AddResponsePhrase(const std::vector<uint8_t>& response) override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ == 0; }

    void ValidateResponse() const;
    // All zero while no whole reply was stored.
    BleConfiguration GetResult() const;
};

}  // namespace TavProtocol
