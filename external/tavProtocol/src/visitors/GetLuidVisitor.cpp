#include "visitors/GetLuidVisitor.h"

#include "featureReport/GetLuidWithFeatureReportProtocol.h"
#include "serialBinary/GetLuidWithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetLuidVisitor::ValidateArguments() {}

void GetLuidVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    GetLuidWithFeatureReportProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    luid_ = command.GetResult();
}

void GetLuidVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetLuidVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    GetLuidWithSerialBinaryProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    luid_ = command.GetResult();
}

}  // namespace TavProtocol
