#include "visitors/GetConfigurationBlock1Visitor.h"

#include "featureReport/GetConfigurationBlock1WithFeatureReportProtocol.h"
#include "serialBinary/GetConfigurationBlock1WithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetConfigurationBlock1Visitor::ValidateArguments() {}

void GetConfigurationBlock1Visitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    GetConfigurationBlock1WithFeatureReportProtocol command;
    command.Execute(transport);
    block_ = command.GetResult();
}

void GetConfigurationBlock1Visitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetConfigurationBlock1Visitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    GetConfigurationBlock1WithSerialBinaryProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    block_ = command.GetResult();
}

}  // namespace TavProtocol
