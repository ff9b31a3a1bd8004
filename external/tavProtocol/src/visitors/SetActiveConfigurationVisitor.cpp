#include "visitors/SetActiveConfigurationVisitor.h"

#include "featureReport/SetActiveConfigurationWithFeatureReportProtocol.h"
#include "serialBinary/SetActiveConfigurationWithSerialBinaryProtocol.h"

namespace TavProtocol {

void SetActiveConfigurationVisitor::CheckConfigurationNumber(uint8_t configuration) {
    if (configuration >= 4) {
        throw ProtocolException("Configuration number must be between 0 and 3.", TAV_SOURCE_FILE, __LINE__,
                                "ValidateArguments");
    }
}

void SetActiveConfigurationVisitor::ValidateArguments() { CheckConfigurationNumber(configuration_); }

// The reply is checked: a selection the reader refused would otherwise go unnoticed, and the
// block reads and writes that follow would touch another configuration.
void SetActiveConfigurationVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    SetActiveConfigurationWithFeatureReportProtocol command(configuration_);
    command.Execute(transport);
    command.ValidateResponse();
}

void SetActiveConfigurationVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, "SetActiveConfiguration is not supported by MFP24.");
}

void SetActiveConfigurationVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    SetActiveConfigurationWithSerialBinaryProtocol command(configuration_);
    command.Execute(transport);
    command.ValidateResponse();
}

}  // namespace TavProtocol
