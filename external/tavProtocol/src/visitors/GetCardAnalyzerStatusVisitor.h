#pragma once

#include "core/CommandVisitor.h"
#include "records/CardAnalyzerStatus.h"

namespace TavProtocol {

// Reads the card analyzer's status.
class GetCardAnalyzerStatusVisitor : public CommandVisitor {
public:
    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    CardAnalyzerStatus GetResult() const { return status_; }

private:
    CardAnalyzerStatus status_ = 0;
};

}  // namespace TavProtocol
