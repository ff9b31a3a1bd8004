#include "visitors/SetConfigurationBlock5Visitor.h"

#include "featureReport/SetConfigurationBlock5WithFeatureReportProtocol.h"
#include "serialBinary/SetConfigurationBlock5WithSerialBinaryProtocol.h"
#include "visitors/ConfigurationBlockChecks.h"

namespace TavProtocol {

void SetConfigurationBlock5Visitor::ValidateArguments() {
    LogAndCheckConfigurationBlock("SetConfigurationBlock5Visitor", block_);
}

void SetConfigurationBlock5Visitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    SetConfigurationBlock5WithFeatureReportProtocol command(block_);
    command.Execute(transport);
}

void SetConfigurationBlock5Visitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void SetConfigurationBlock5Visitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    SetConfigurationBlock5WithSerialBinaryProtocol command(block_);
    command.Execute(transport);
    command.ValidateResponse();
}

}  // namespace TavProtocol
