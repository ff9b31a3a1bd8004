#pragma once

#include "core/CommandVisitor.h"
#include "records/MifareWriterKeyInformation.h"

namespace TavProtocol {

// Changes a key of the MIFARE card on the writer.
class MifareWriterChangeKeyVisitor : public CommandVisitor {
public:
    explicit MifareWriterChangeKeyVisitor(const MifareWriterKeyInformation& keyInformation)
        : keyInformation_(keyInformation) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

private:
    MifareWriterKeyInformation keyInformation_;
};

}  // namespace TavProtocol
