#pragma once

#include "core/CommandVisitor.h"
#include "records/CardReadPayload.h"
#include "records/GetCardDataSizeParameters.h"

namespace TavProtocol {

// Reads one card whole: its bit count and its card bytes, the main road of a card read.
class GetCardReadPayloadVisitor : public CommandVisitor {
public:
    explicit GetCardReadPayloadVisitor(GetCardDataSizeParameters size) : size_(size) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    CardReadPayload GetResult() const { return payload_; }

private:
    GetCardDataSizeParameters size_;
    CardReadPayload payload_{};
};

}  // namespace TavProtocol
