#pragma once

#include "core/CommandVisitor.h"
#include "records/TransparentModeStatusInformation.h"

namespace TavProtocol {

// Reads whether the reader is in transparent mode, and its status.
class GetTransparentModeStatusVisitor : public CommandVisitor {
public:
    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    TransparentModeStatusInformation GetResult() const { return status_; }

private:
    TransparentModeStatusInformation status_{};
};

}  // namespace TavProtocol
