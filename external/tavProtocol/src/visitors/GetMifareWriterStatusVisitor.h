#pragma once

#include "core/CommandVisitor.h"
#include "records/MifareWriterStatus.h"

namespace TavProtocol {

// Reads the MIFARE writer's status word.
class GetMifareWriterStatusVisitor : public CommandVisitor {
public:
    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    MifareWriterStatus GetResult() const { return status_; }

private:
    MifareWriterStatus status_ = 0;
};

}  // namespace TavProtocol
