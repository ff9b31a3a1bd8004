#include "visitors/MifareWriterFormatCardVisitor.h"

#include "featureReport/MifareWriterFormatCardWithFeatureReportProtocol.h"

namespace TavProtocol {

void MifareWriterFormatCardVisitor::ValidateArguments() {}

void MifareWriterFormatCardVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    MifareWriterFormatCardWithFeatureReportProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
}

void MifareWriterFormatCardVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void MifareWriterFormatCardVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kSerialBinaryNotSupported);
}

}  // namespace TavProtocol
