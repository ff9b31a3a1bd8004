#pragma once

#include <cstdint>

#include "core/CommandVisitor.h"

namespace TavProtocol {

// Sets the reader's LUID in its working configuration; storing it is the caller's business.
class SetLuidVisitor : public CommandVisitor {
public:
    explicit SetLuidVisitor(uint16_t value) : luid_(value) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

private:
    uint16_t luid_;
};

}  // namespace TavProtocol
