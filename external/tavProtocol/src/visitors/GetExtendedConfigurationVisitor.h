#pragma once

#include "common/ExtendedConfiguration.h"
#include "core/CommandVisitor.h"

namespace TavProtocol {

// Reads the extended configuration: the header, then the records it announces.
class GetExtendedConfigurationVisitor : public CommandVisitor {
public:
    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    TavCommon::ExtendedConfiguration GetResult() const { return configuration_; }

private:
    TavCommon::ExtendedConfiguration configuration_{};
};

}  // namespace TavProtocol
