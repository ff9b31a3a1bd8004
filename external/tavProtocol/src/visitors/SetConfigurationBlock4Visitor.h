#pragma once

#include "common/ReaderConfigurationBlock4.h"
#include "core/CommandVisitor.h"

namespace TavProtocol {

// Writes configuration block 4 into the reader's active configuration; logs the block,
// then refuses its first member out of range before anything is sent.
class SetConfigurationBlock4Visitor : public CommandVisitor {
public:
    explicit SetConfigurationBlock4Visitor(const ReaderConfigurationBlock4& block) : block_(block) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

private:
    ReaderConfigurationBlock4 block_;
};

}  // namespace TavProtocol
