#include "visitors/GetConfigurationBlock2Visitor.h"

#include "featureReport/GetConfigurationBlock2WithFeatureReportProtocol.h"
#include "serialBinary/GetConfigurationBlock2WithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetConfigurationBlock2Visitor::ValidateArguments() {}

void GetConfigurationBlock2Visitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    GetConfigurationBlock2WithFeatureReportProtocol command;
    command.Execute(transport);
    block_ = command.GetResult();
}

void GetConfigurationBlock2Visitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetConfigurationBlock2Visitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    GetConfigurationBlock2WithSerialBinaryProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    block_ = command.GetResult();
}

}  // namespace TavProtocol
