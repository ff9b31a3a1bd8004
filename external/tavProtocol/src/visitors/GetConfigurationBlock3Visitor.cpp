#include "visitors/GetConfigurationBlock3Visitor.h"

#include "featureReport/GetConfigurationBlock3WithFeatureReportProtocol.h"
#include "serialBinary/GetConfigurationBlock3WithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetConfigurationBlock3Visitor::ValidateArguments() {}

void GetConfigurationBlock3Visitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    GetConfigurationBlock3WithFeatureReportProtocol command;
    command.Execute(transport);
    block_ = command.GetResult();
}

void GetConfigurationBlock3Visitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetConfigurationBlock3Visitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    GetConfigurationBlock3WithSerialBinaryProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    block_ = command.GetResult();
}

}  // namespace TavProtocol
