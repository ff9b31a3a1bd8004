#pragma once

#include "common/BluetoothFirmwareVersion.h"
#include "core/CommandVisitor.h"
#include "records/FirmwareVersionModuleType.h"

namespace TavProtocol {

// Reads the firmware version of a Bluetooth module.
class GetBluetoothFirmwareVersionVisitor : public CommandVisitor {
public:
    explicit GetBluetoothFirmwareVersionVisitor(FirmwareVersionModuleType value) : moduleType_(value) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    BluetoothFirmwareVersion GetResult() const { return version_; }

private:
    FirmwareVersionModuleType moduleType_;
    BluetoothFirmwareVersion version_{};
};

}  // namespace TavProtocol
