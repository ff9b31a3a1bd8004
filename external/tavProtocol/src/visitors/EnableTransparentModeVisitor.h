#pragma once

#include "core/CommandVisitor.h"

namespace TavProtocol {

// Switches the reader's transparent mode on or off; the reader layer persists it with a write of
// the configuration.
class EnableTransparentModeVisitor : public CommandVisitor {
public:
    explicit EnableTransparentModeVisitor(bool enable) : enable_(enable) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

private:
    bool enable_;
};

}  // namespace TavProtocol
