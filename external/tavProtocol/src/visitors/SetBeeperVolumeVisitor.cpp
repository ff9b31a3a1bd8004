#include "visitors/SetBeeperVolumeVisitor.h"

#include <cstdint>

#include "featureReport/SetBeeperVolumeWithFeatureReportProtocol.h"
#include "mfp24/SetBeeperVolumeWithMfp24Protocol.h"
#include "serialBinary/SetBeeperVolumeWithSerialBinaryProtocol.h"

namespace TavProtocol {

void SetBeeperVolumeVisitor::ValidateArguments() {
    if (static_cast<uint8_t>(volume_) >= 4) {
        TAV_THROW(ProtocolException, "Beep volume is out of range");
    }
}

void SetBeeperVolumeVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    SetBeeperVolumeWithFeatureReportProtocol command(volume_);
    command.Execute(transport);
    command.ValidateResponse();
}

void SetBeeperVolumeVisitor::Visit(Mfp24Protocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    SetBeeperVolumeWithMfp24Protocol command(volume_);
    command.Execute(transport);
    command.ValidateResponse();
}

void SetBeeperVolumeVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    SetBeeperVolumeWithSerialBinaryProtocol command(volume_);
    command.Execute(transport);
    command.ValidateResponse();
}

}  // namespace TavProtocol
