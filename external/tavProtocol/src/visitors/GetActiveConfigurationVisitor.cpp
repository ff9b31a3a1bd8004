#include "visitors/GetActiveConfigurationVisitor.h"

#include "featureReport/GetActiveConfigurationWithFeatureReportProtocol.h"
#include "serialBinary/GetActiveConfigurationWithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetActiveConfigurationVisitor::ValidateArguments() {}

void GetActiveConfigurationVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    information_ = {};
    GetActiveConfigurationWithFeatureReportProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    information_ = command.GetResult();
}

void GetActiveConfigurationVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, "GetActiveConfiguration is not supported by the MFP24 protocol.");
}

void GetActiveConfigurationVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    information_ = {};
    GetActiveConfigurationWithSerialBinaryProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    information_ = command.GetResult();
}

}  // namespace TavProtocol
