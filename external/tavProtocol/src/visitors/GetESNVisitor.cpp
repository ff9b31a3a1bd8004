#include "visitors/GetESNVisitor.h"

#include "featureReport/GetESNWithFeatureReportProtocol.h"
#include "serialBinary/GetESNWithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetESNVisitor::ValidateArguments() {}

void GetESNVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    GetESNWithFeatureReportProtocol command;
    command.Execute(transport);
    esn_ = command.GetResult();
}

void GetESNVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetESNVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    GetESNWithSerialBinaryProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    esn_ = command.GetResult();
}

}  // namespace TavProtocol
