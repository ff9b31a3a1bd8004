#pragma once

#include "common/ReaderConfigurationBlock4.h"
#include "core/CommandVisitor.h"

namespace TavProtocol {

// Reads configuration block 4 of the reader's active configuration.
class GetConfigurationBlock4Visitor : public CommandVisitor {
public:
    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    ReaderConfigurationBlock4 GetResult() const { return block_; }

private:
    ReaderConfigurationBlock4 block_{};
};

}  // namespace TavProtocol
