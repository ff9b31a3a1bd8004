#pragma once

#include "common/ExtendedConfiguration.h"
#include "common/HashData.h"
#include "core/CommandVisitor.h"

namespace TavProtocol {

// Writes the extended configuration and the hashes the reader needs to accept it.
class SetExtendedConfigurationVisitor : public CommandVisitor {
public:
    SetExtendedConfigurationVisitor(const TavCommon::ExtendedConfiguration& configuration,
                                    const TavCommon::HashData& hashData)
        : configuration_(configuration), hashData_(hashData) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

private:
    TavCommon::ExtendedConfiguration configuration_;
    TavCommon::HashData hashData_;
};

}  // namespace TavProtocol
