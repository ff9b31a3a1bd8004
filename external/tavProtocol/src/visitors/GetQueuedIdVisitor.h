#pragma once

#include "core/CommandVisitor.h"
#include "records/QueuedIdFlagParameters.h"
#include "records/QueuedIdInformation.h"

namespace TavProtocol {

// Reads the reader's queued card id.
class GetQueuedIdVisitor : public CommandVisitor {
public:
    explicit GetQueuedIdVisitor(const QueuedIdFlagParameters& flags) : flags_(flags) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    QueuedIdInformation GetResult() const { return queuedId_; }

private:
    QueuedIdInformation queuedId_{};
    QueuedIdFlagParameters flags_;
};

}  // namespace TavProtocol
