#pragma once

#include <cstdint>

#include "core/CommandVisitor.h"

namespace TavProtocol {

// Makes one of the reader's configurations (0 to 3) the active one.
class SetActiveConfigurationVisitor : public CommandVisitor {
public:
    explicit SetActiveConfigurationVisitor(uint8_t configuration) : configuration_(configuration) {}

    // The number check of ValidateArguments, for callers that must refuse a number before any
    // phrase of a longer exchange.
    static void CheckConfigurationNumber(uint8_t configuration);

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

private:
    uint8_t configuration_;
};

}  // namespace TavProtocol
