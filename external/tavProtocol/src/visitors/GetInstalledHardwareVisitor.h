#pragma once

#include "core/CommandVisitor.h"
#include "records/InstalledHardwareInformation.h"

namespace TavProtocol {

// Reads which hardware the reader supports and which is installed.
class GetInstalledHardwareVisitor : public CommandVisitor {
public:
    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    InstalledHardwareInformation GetResult() const { return hardware_; }

private:
    InstalledHardwareInformation hardware_{};
};

}  // namespace TavProtocol
