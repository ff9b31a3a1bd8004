#pragma once

#include "core/CommandVisitor.h"
#include "records/BleConfiguration.h"

namespace TavProtocol {

// Writes the BLE radio settings; the tap-in RSSI threshold and the transmit power must be levels
// the radio knows.
class SetBleConfigurationVisitor : public CommandVisitor {
public:
    explicit SetBleConfigurationVisitor(const BleConfiguration& configuration) : configuration_(configuration) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

private:
    BleConfiguration configuration_;
};

}  // namespace TavProtocol
