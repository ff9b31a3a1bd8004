#pragma once

#include "common/ReaderConfigurationBlock1.h"
#include "core/CommandVisitor.h"

namespace TavProtocol {

// Reads configuration block 1 of the reader's active configuration.
class GetConfigurationBlock1Visitor : public CommandVisitor {
public:
    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    ReaderConfigurationBlock1 GetResult() const { return block_; }

private:
    ReaderConfigurationBlock1 block_{};
};

}  // namespace TavProtocol
