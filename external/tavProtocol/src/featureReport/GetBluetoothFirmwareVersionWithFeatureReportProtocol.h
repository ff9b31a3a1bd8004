#pragma once

#include <cstdint>
#include <vector>

#include "common/BluetoothFirmwareVersion.h"
#include "featureReport/FeatureReportCommand.h"
#include "records/FirmwareVersionModuleType.h"

namespace TavProtocol {

// Reads the firmware version of the Bluetooth module.
class GetBluetoothFirmwareVersionWithFeatureReportProtocol : public FeatureReportCommand {
public:
    explicit GetBluetoothFirmwareVersionWithFeatureReportProtocol(FirmwareVersionModuleType moduleType)
        : moduleType_(moduleType) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    BluetoothFirmwareVersion GetResult() const;

private:
    FirmwareVersionModuleType moduleType_;
};

}  // namespace TavProtocol
