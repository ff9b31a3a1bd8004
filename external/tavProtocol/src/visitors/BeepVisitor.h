#pragma once

#include <cstdint>

#include "core/CommandVisitor.h"
#include "records/BEEP_DURATION.h"

namespace TavProtocol {

// Sounds the beeper: up to 5 short beeps or 2 long ones.
class BeepVisitor : public CommandVisitor {
public:
    BeepVisitor(int32_t count, BEEP_DURATION duration) : count_(count), duration_(duration) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

private:
    int32_t count_;
    BEEP_DURATION duration_;
};

}  // namespace TavProtocol
