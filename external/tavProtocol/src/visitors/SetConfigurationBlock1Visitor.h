#pragma once

#include "common/ReaderConfigurationBlock1.h"
#include "core/CommandVisitor.h"

namespace TavProtocol {

// Writes configuration block 1 into the reader's active configuration; logs the block,
// then refuses its first member out of range before anything is sent.
class SetConfigurationBlock1Visitor : public CommandVisitor {
public:
    explicit SetConfigurationBlock1Visitor(const ReaderConfigurationBlock1& block) : block_(block) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

private:
    ReaderConfigurationBlock1 block_;
};

}  // namespace TavProtocol
