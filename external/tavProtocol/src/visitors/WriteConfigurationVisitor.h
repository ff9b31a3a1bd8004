#pragma once

#include <cstdint>

#include "core/CommandVisitor.h"

namespace TavProtocol {

// Stores the working configuration. A feature-report reader takes no flag and does not answer;
// a serial reader also stores the LUID when the flag is 1.
class WriteConfigurationVisitor : public CommandVisitor {
public:
    explicit WriteConfigurationVisitor(uint8_t value) : writeLuidToFlash_(value) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

private:
    uint8_t writeLuidToFlash_;
};

}  // namespace TavProtocol
