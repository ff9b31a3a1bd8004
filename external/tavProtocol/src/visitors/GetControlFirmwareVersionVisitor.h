#pragma once

#include "common/MicrocontrollerFirmwareVersion.h"
#include "core/CommandVisitor.h"
#include "records/FirmwareVersionModuleType.h"

namespace TavProtocol {

// Reads the firmware version of the control microcontroller of a module.
class GetControlFirmwareVersionVisitor : public CommandVisitor {
public:
    explicit GetControlFirmwareVersionVisitor(FirmwareVersionModuleType value) : moduleType_(value) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    MicrocontrollerFirmwareVersion GetResult() const { return version_; }

private:
    FirmwareVersionModuleType moduleType_;
    MicrocontrollerFirmwareVersion version_{};
};

}  // namespace TavProtocol
