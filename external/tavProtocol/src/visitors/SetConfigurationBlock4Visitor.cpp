#include "visitors/SetConfigurationBlock4Visitor.h"

#include "featureReport/SetConfigurationBlock4WithFeatureReportProtocol.h"
#include "serialBinary/SetConfigurationBlock4WithSerialBinaryProtocol.h"
#include "visitors/ConfigurationBlockChecks.h"

namespace TavProtocol {

void SetConfigurationBlock4Visitor::ValidateArguments() {
    LogAndCheckConfigurationBlock("SetConfigurationBlock4Visitor", block_);
}

void SetConfigurationBlock4Visitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    SetConfigurationBlock4WithFeatureReportProtocol command(block_);
    command.Execute(transport);
}

void SetConfigurationBlock4Visitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void SetConfigurationBlock4Visitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    SetConfigurationBlock4WithSerialBinaryProtocol command(block_);
    command.Execute(transport);
    command.ValidateResponse();
}

}  // namespace TavProtocol
