#include "visitors/MifareWriterCreateAidVisitor.h"

#include "featureReport/MifareWriterCreateAidWithFeatureReportProtocol.h"

namespace TavProtocol {

void MifareWriterCreateAidVisitor::ValidateArguments() {
    if (aidInformation_.Aid > 0x00FFFFFFU) {
        TAV_THROW(ProtocolException, "AID value must be in the range of 0x00000000 to 0x00FFFFFF.");
    }
    if (aidInformation_.CardKeyNo > 0x0E) {
        TAV_THROW(ProtocolException, "CardKeyNo value must be in the range of 0x00 to 0x0E.");
    }
    if (aidInformation_.OperationType > 2) {
        TAV_THROW(ProtocolException, "Invalid operation type was specified.");
    }
    // Key types 4 and 12: bit 3 is free, every other bit must be those of 4.
    if ((aidInformation_.KeyType & ~0x08) != 0x04) {
        TAV_THROW(ProtocolException, "Invalid key type was specified.");
    }
}

void MifareWriterCreateAidVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    MifareWriterCreateAidWithFeatureReportProtocol command(aidInformation_);
    command.Execute(transport);
    command.ValidateResponse();
}

void MifareWriterCreateAidVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void MifareWriterCreateAidVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kSerialBinaryNotSupported);
}

}  // namespace TavProtocol
