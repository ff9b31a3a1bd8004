#include "visitors/GetBleConfigurationVisitor.h"

#include "featureReport/GetBleConfigurationWithFeatureReportProtocol.h"

namespace TavProtocol {

void GetBleConfigurationVisitor::ValidateArguments() {}

void GetBleConfigurationVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    GetBleConfigurationWithFeatureReportProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    configuration_ = command.GetResult();
}

void GetBleConfigurationVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, "GetBleConfiguration command is not yet supported with the MFP24 Protocol");
}

void GetBleConfigurationVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, "GetBleConfiguration command is not yet supported with the Serial Binary Protocol");
}

}  // namespace TavProtocol
