#pragma once

#include "core/CommandVisitor.h"
#include "records/BeepVolume.h"

namespace TavProtocol {

// Reads the beeper volume (0 to 3).
class GetBeeperVolumeVisitor : public CommandVisitor {
public:
    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    BeepVolume GetResult() const { return volume_; }

private:
    BeepVolume volume_{0xFF};
};

}  // namespace TavProtocol
