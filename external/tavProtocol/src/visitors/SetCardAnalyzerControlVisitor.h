#pragma once

#include "core/CommandVisitor.h"
#include "records/CardAnalyzerControlParameter.h"

namespace TavProtocol {

// Sends a control code (0 to 2) to the card analyzer.
class SetCardAnalyzerControlVisitor : public CommandVisitor {
public:
    explicit SetCardAnalyzerControlVisitor(CardAnalyzerControlParameter control) : control_(control) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

private:
    CardAnalyzerControlParameter control_;
};

}  // namespace TavProtocol
