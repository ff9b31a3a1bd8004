#include "visitors/SetConfigurationBlock1Visitor.h"

#include "featureReport/SetConfigurationBlock1WithFeatureReportProtocol.h"
#include "serialBinary/SetConfigurationBlock1WithSerialBinaryProtocol.h"
#include "visitors/ConfigurationBlockChecks.h"

namespace TavProtocol {

void SetConfigurationBlock1Visitor::ValidateArguments() {
    LogAndCheckConfigurationBlock("SetConfigurationBlock1Visitor", block_);
}

void SetConfigurationBlock1Visitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    SetConfigurationBlock1WithFeatureReportProtocol command(block_);
    command.Execute(transport);
}

void SetConfigurationBlock1Visitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void SetConfigurationBlock1Visitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    SetConfigurationBlock1WithSerialBinaryProtocol command(block_);
    command.Execute(transport);
    command.ValidateResponse();
}

}  // namespace TavProtocol
