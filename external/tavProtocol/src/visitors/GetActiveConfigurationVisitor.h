#pragma once

#include "core/CommandVisitor.h"
#include "records/ActiveConfigurationInformation.h"

namespace TavProtocol {

// Reads which configuration is active and how many the reader has.
class GetActiveConfigurationVisitor : public CommandVisitor {
public:
    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    ActiveConfigurationInformation GetResult() const { return information_; }

private:
    ActiveConfigurationInformation information_{};
};

}  // namespace TavProtocol
