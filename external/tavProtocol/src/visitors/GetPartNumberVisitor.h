#pragma once

#include <string>

#include "core/CommandVisitor.h"

namespace TavProtocol {

// Reads the reader's part number.
class GetPartNumberVisitor : public CommandVisitor {
public:
    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    std::string GetResult() const { return partNumber_; }

private:
    std::string partNumber_;
};

}  // namespace TavProtocol
