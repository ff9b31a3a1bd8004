#include "visitors/GetConfigurationBlock4Visitor.h"

#include "featureReport/GetConfigurationBlock4WithFeatureReportProtocol.h"
#include "serialBinary/GetConfigurationBlock4WithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetConfigurationBlock4Visitor::ValidateArguments() {}

void GetConfigurationBlock4Visitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    GetConfigurationBlock4WithFeatureReportProtocol command;
    command.Execute(transport);
    block_ = command.GetResult();
}

void GetConfigurationBlock4Visitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetConfigurationBlock4Visitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    GetConfigurationBlock4WithSerialBinaryProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    block_ = command.GetResult();
}

}  // namespace TavProtocol
