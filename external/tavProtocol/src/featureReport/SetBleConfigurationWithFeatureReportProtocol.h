#pragma once

#include <cstdint>
#include <vector>

#include "featureReport/FeatureReportCommand.h"
#include "records/BleConfiguration.h"

namespace TavProtocol {

// Writes the BLE radio settings as given; the caller checks the allowed power and RSSI values.
class SetBleConfigurationWithFeatureReportProtocol : public FeatureReportCommand {
public:
    explicit SetBleConfigurationWithFeatureReportProtocol(const BleConfiguration& configuration)
        : flags_(configuration.Flags), tapInRssi_(configuration.TapInRssi), txPower_(configuration.TxPower) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ == 0; }
    std::vector<uint8_t> NextCommandPhrase() override;
    void AddResponsePhrase(const std::vector<uint8_t>& response) override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ == 0; }

    void ValidateResponse() const;

private:
    uint8_t flags_;
    int8_t tapInRssi_;
    int8_t txPower_;
};

}  // namespace TavProtocol
