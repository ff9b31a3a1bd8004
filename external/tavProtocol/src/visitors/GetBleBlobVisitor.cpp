#include "visitors/GetBleBlobVisitor.h"

#include "featureReport/GetBleBlobWithFeatureReportProtocol.h"

namespace TavProtocol {

void GetBleBlobVisitor::ValidateArguments() {}

void GetBleBlobVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    GetBleBlobWithFeatureReportProtocol command(dataType_, BleBlobCommand::kDefaultPollIntervalMs,
                                                BleBlobCommand::kDefaultMaxPollAttempts, std::move(timeDelay_));
    command.Execute(transport);
    command.ValidateResponse();
    data_ = command.GetResult();
}

void GetBleBlobVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, "GetBleBlob command is not supported with the MFP24 Protocol");
}

void GetBleBlobVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, "GetBleBlob command is not supported with the Serial Binary Protocol");
}

}  // namespace TavProtocol
