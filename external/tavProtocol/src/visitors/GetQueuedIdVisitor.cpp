#include "visitors/GetQueuedIdVisitor.h"

#include "featureReport/GetQueuedIdWithFeatureReportProtocol.h"
#include "serialBinary/GetQueuedIdWithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetQueuedIdVisitor::ValidateArguments() {}

void GetQueuedIdVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    GetQueuedIdWithFeatureReportProtocol command(flags_.Flags);
    command.Execute(transport);
    queuedId_ = command.GetResult();
}

void GetQueuedIdVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetQueuedIdVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    GetQueuedIdWithSerialBinaryProtocol command(flags_.Flags);
    command.Execute(transport);
    command.ValidateResponse();
    queuedId_ = command.GetResult();
}

}  // namespace TavProtocol
