#include "visitors/SetConfigurationBlock2Visitor.h"

#include "featureReport/SetConfigurationBlock2WithFeatureReportProtocol.h"
#include "serialBinary/SetConfigurationBlock2WithSerialBinaryProtocol.h"
#include "visitors/ConfigurationBlockChecks.h"

namespace TavProtocol {

void SetConfigurationBlock2Visitor::ValidateArguments() {
    LogAndCheckConfigurationBlock("SetConfigurationBlock2Visitor", block_);
}

void SetConfigurationBlock2Visitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    SetConfigurationBlock2WithFeatureReportProtocol command(block_);
    command.Execute(transport);
}

void SetConfigurationBlock2Visitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void SetConfigurationBlock2Visitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    SetConfigurationBlock2WithSerialBinaryProtocol command(block_);
    command.Execute(transport);
    command.ValidateResponse();
}

}  // namespace TavProtocol
