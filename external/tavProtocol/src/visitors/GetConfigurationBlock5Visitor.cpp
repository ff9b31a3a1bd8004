#include "visitors/GetConfigurationBlock5Visitor.h"

#include "featureReport/GetConfigurationBlock5WithFeatureReportProtocol.h"
#include "serialBinary/GetConfigurationBlock5WithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetConfigurationBlock5Visitor::ValidateArguments() {}

void GetConfigurationBlock5Visitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    GetConfigurationBlock5WithFeatureReportProtocol command;
    command.Execute(transport);
    block_ = command.GetResult();
}

void GetConfigurationBlock5Visitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetConfigurationBlock5Visitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    GetConfigurationBlock5WithSerialBinaryProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    block_ = command.GetResult();
}

}  // namespace TavProtocol
