#include "visitors/SetConfigurationBlock3Visitor.h"

#include "featureReport/SetConfigurationBlock3WithFeatureReportProtocol.h"
#include "serialBinary/SetConfigurationBlock3WithSerialBinaryProtocol.h"
#include "visitors/ConfigurationBlockChecks.h"

namespace TavProtocol {

void SetConfigurationBlock3Visitor::ValidateArguments() {
    LogAndCheckConfigurationBlock("SetConfigurationBlock3Visitor", block_);
}

void SetConfigurationBlock3Visitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    SetConfigurationBlock3WithFeatureReportProtocol command(block_);
    command.Execute(transport);
}

void SetConfigurationBlock3Visitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void SetConfigurationBlock3Visitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    SetConfigurationBlock3WithSerialBinaryProtocol command(block_);
    command.Execute(transport);
    command.ValidateResponse();
}

}  // namespace TavProtocol
