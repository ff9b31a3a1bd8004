#include "visitors/WriteConfigurationVisitor.h"

#include "featureReport/WriteConfigurationWithFeatureReportProtocol.h"
#include "serialBinary/WriteConfigurationWithSerialBinaryProtocol.h"

namespace TavProtocol {

void WriteConfigurationVisitor::ValidateArguments() {
    if (writeLuidToFlash_ >= 2) {
        TAV_THROW(ProtocolException, "WriteLuidToFlash parameter value must be 0 or 1.");
    }
}

void WriteConfigurationVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    WriteConfigurationWithFeatureReportProtocol command;
    command.Execute(transport);
}

void WriteConfigurationVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void WriteConfigurationVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    WriteConfigurationWithSerialBinaryProtocol command(writeLuidToFlash_);
    command.Execute(transport);
    command.ValidateResponse();
}

}  // namespace TavProtocol
