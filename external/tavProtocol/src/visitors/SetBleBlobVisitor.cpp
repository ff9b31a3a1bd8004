#include "visitors/SetBleBlobVisitor.h"

#include "featureReport/SetBleBlobWithFeatureReportProtocol.h"

namespace TavProtocol {

void SetBleBlobVisitor::ValidateArguments() {}

void SetBleBlobVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    SetBleBlobWithFeatureReportProtocol command(dataType_, data_, BleBlobCommand::kDefaultPollIntervalMs,
                                                BleBlobCommand::kDefaultMaxPollAttempts, std::move(timeDelay_));
    command.Execute(transport);
    command.ValidateResponse();
}

void SetBleBlobVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void SetBleBlobVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kSerialBinaryNotSupported);
}

}  // namespace TavProtocol
