#include "visitors/SetBleBlobVisitor.h"

#include "featureReport/SetBleBlobWithFeatureReportProtocol.h"

namespace TavProtocol {

namespace {
constexpr int32_t kPollIntervalMs = 10;
constexpr int32_t kMaxPollAttempts = 100;
}  // namespace

void SetBleBlobVisitor::ValidateArguments() {}

void SetBleBlobVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    SetBleBlobWithFeatureReportProtocol command(dataType_, data_, kPollIntervalMs, kMaxPollAttempts,
                                                std::move(timeDelay_));
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
