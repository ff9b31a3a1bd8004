#pragma once

#include "core/CommandVisitor.h"
#include "records/BleConfiguration.h"

namespace TavProtocol {

// Reads the BLE radio settings: a settings byte, the tap-in RSSI threshold and the transmit power.
class GetBleConfigurationVisitor : public CommandVisitor {
public:
    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    BleConfiguration GetResult() const { return configuration_; }

private:
    BleConfiguration configuration_{};
};

}  // namespace TavProtocol
