#include "visitors/SetLuidVisitor.h"

#include "featureReport/SetLuidWithFeatureReportProtocol.h"
#include "serialBinary/SetLuidWithSerialBinaryProtocol.h"

namespace TavProtocol {

void SetLuidVisitor::ValidateArguments() {}

void SetLuidVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    SetLuidWithFeatureReportProtocol command(luid_);
    command.Execute(transport);
}

void SetLuidVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void SetLuidVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    SetLuidWithSerialBinaryProtocol command(luid_);
    command.Execute(transport);
    command.ValidateResponse();
}

}  // namespace TavProtocol
