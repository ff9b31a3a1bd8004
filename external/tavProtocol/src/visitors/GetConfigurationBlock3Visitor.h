#pragma once

#include "common/ReaderConfigurationBlock3.h"
#include "core/CommandVisitor.h"

namespace TavProtocol {

// Reads configuration block 3 of the reader's active configuration.
class GetConfigurationBlock3Visitor : public CommandVisitor {
public:
    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    ReaderConfigurationBlock3 GetResult() const { return block_; }

private:
    ReaderConfigurationBlock3 block_{};
};

}  // namespace TavProtocol
