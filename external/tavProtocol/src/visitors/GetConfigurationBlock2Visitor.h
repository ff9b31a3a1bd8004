#pragma once

#include "common/ReaderConfigurationBlock2.h"
#include "core/CommandVisitor.h"

namespace TavProtocol {

// Reads configuration block 2 of the reader's active configuration.
class GetConfigurationBlock2Visitor : public CommandVisitor {
public:
    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    ReaderConfigurationBlock2 GetResult() const { return block_; }

private:
    ReaderConfigurationBlock2 block_{};
};

}  // namespace TavProtocol
