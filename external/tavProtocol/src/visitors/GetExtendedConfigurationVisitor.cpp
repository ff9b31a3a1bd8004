#include "visitors/GetExtendedConfigurationVisitor.h"

#include "featureReport/GetExtendedConfigurationWithFeatureReportProtocol.h"
#include "serialBinary/GetExtendedConfigurationWithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetExtendedConfigurationVisitor::ValidateArguments() {}

void GetExtendedConfigurationVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    GetExtendedConfigurationWithFeatureReportProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    configuration_ = command.GetResult();
}

void GetExtendedConfigurationVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetExtendedConfigurationVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    GetExtendedConfigurationWithSerialBinaryProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    configuration_ = command.GetResult();
}

}  // namespace TavProtocol
