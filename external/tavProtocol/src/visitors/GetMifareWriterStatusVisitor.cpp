#include "visitors/GetMifareWriterStatusVisitor.h"

#include "featureReport/GetMifareWriterStatusWithFeatureReportProtocol.h"

namespace TavProtocol {

void GetMifareWriterStatusVisitor::ValidateArguments() {}

void GetMifareWriterStatusVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    GetMifareWriterStatusWithFeatureReportProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    status_ = command.GetResult();
}

void GetMifareWriterStatusVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetMifareWriterStatusVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kSerialBinaryNotSupported);
}

}  // namespace TavProtocol
