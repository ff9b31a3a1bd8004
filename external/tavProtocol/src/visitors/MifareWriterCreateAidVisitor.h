#pragma once

#include "core/CommandVisitor.h"
#include "records/MifareWriterAidInformation.h"

namespace TavProtocol {

// Creates an application (AID) with its keys on the MIFARE card on the writer.
class MifareWriterCreateAidVisitor : public CommandVisitor {
public:
    explicit MifareWriterCreateAidVisitor(const MifareWriterAidInformation& aidInformation)
        : aidInformation_(aidInformation) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

private:
    MifareWriterAidInformation aidInformation_;
};

}  // namespace TavProtocol
