#pragma once

#include "core/CommandVisitor.h"

namespace TavProtocol {

// Formats the MIFARE card on the writer.
class MifareWriterFormatCardVisitor : public CommandVisitor {
public:
    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;
};

}  // namespace TavProtocol
