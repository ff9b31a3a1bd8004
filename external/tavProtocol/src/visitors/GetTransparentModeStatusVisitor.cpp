#include "visitors/GetTransparentModeStatusVisitor.h"

#include "featureReport/GetTransparentModeStatusWithFeatureReportProtocol.h"

namespace TavProtocol {

void GetTransparentModeStatusVisitor::ValidateArguments() {}

void GetTransparentModeStatusVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    GetTransparentModeStatusWithFeatureReportProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    status_ = command.GetResult();
}

void GetTransparentModeStatusVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetTransparentModeStatusVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kSerialBinaryNotSupported);
}

}  // namespace TavProtocol
