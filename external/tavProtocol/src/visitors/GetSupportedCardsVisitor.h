#pragma once

#include <cstdint>
#include <vector>
#include "core/CommandVisitor.h"

namespace TavProtocol {

// Reads the card-type codes the reader supports, in the order it reports them.
class GetSupportedCardsVisitor : public CommandVisitor {
public:
    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    std::vector<uint16_t> GetResult() const { return cardTypes_; }

private:
    std::vector<uint16_t> cardTypes_;
};

}  // namespace TavProtocol
