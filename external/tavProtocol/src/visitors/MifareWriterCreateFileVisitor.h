#pragma once

#include "core/CommandVisitor.h"
#include "records/MifareWriterFileInformation.h"

namespace TavProtocol {

// Creates a file on the MIFARE card on the writer.
class MifareWriterCreateFileVisitor : public CommandVisitor {
public:
    explicit MifareWriterCreateFileVisitor(const MifareWriterFileInformation& fileInfo) : fileInfo_(fileInfo) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

private:
    MifareWriterFileInformation fileInfo_;
};

}  // namespace TavProtocol
