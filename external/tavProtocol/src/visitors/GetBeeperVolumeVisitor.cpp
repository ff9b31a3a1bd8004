#include "visitors/GetBeeperVolumeVisitor.h"

#include "featureReport/GetBeeperVolumeWithFeatureReportProtocol.h"
#include "serialBinary/GetBeeperVolumeWithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetBeeperVolumeVisitor::ValidateArguments() {}

void GetBeeperVolumeVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    GetBeeperVolumeWithFeatureReportProtocol command;
    command.Execute(transport);
    volume_ = command.GetResult();
}

void GetBeeperVolumeVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetBeeperVolumeVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    GetBeeperVolumeWithSerialBinaryProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    volume_ = command.GetResult();
}

}  // namespace TavProtocol
