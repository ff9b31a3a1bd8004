#pragma once

#include "core/CommandVisitor.h"
#include "records/LuidResponseInformation.h"

namespace TavProtocol {

// Reads the reader's LUID.
class GetLuidVisitor : public CommandVisitor {
public:
    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    LuidResponseInformation GetResult() const { return luid_; }

private:
    LuidResponseInformation luid_{};
};

}  // namespace TavProtocol
