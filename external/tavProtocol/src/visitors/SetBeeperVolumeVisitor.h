#pragma once

#include "core/CommandVisitor.h"
#include "records/BeepVolume.h"

namespace TavProtocol {

// Sets the beeper volume (0 to 3).
class SetBeeperVolumeVisitor : public CommandVisitor {
public:
    explicit SetBeeperVolumeVisitor(BeepVolume volume) : volume_(volume) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

private:
    BeepVolume volume_;
};

}  // namespace TavProtocol
