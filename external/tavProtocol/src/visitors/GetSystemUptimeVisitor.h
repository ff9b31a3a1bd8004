#pragma once

#include <cstdint>

#include "core/CommandVisitor.h"

namespace TavProtocol {

// Reads how long the reader has been running.
class GetSystemUptimeVisitor : public CommandVisitor {
public:
    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    uint32_t GetResult() const { return uptime_; }

private:
    uint32_t uptime_ = 0;
};

}  // namespace TavProtocol
