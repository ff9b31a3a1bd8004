#pragma once

#include "common/ReaderConfigurationBlock5.h"
#include "core/CommandVisitor.h"

namespace TavProtocol {

// Reads configuration block 5 of the reader's active configuration.
class GetConfigurationBlock5Visitor : public CommandVisitor {
public:
    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    ReaderConfigurationBlock5 GetResult() const { return block_; }

private:
    ReaderConfigurationBlock5 block_{};
};

}  // namespace TavProtocol
