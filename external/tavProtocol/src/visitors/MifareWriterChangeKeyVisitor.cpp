#include "visitors/MifareWriterChangeKeyVisitor.h"

#include "featureReport/MifareWriterChangeKeyWithFeatureReportProtocol.h"

namespace TavProtocol {

void MifareWriterChangeKeyVisitor::ValidateArguments() {
    ThrowProtocolExceptionForPropertyOutOfRange("Card Key number", keyInformation_.CardKeyNumber, 0, 14);
    // Flags 0 and 2: only bit 1 may be set.
    if ((keyInformation_.FeatureFlag & ~0x02) != 0) {
        TAV_THROW(ProtocolException, "Invalid FeatureFlag value was specified");
    }
}

void MifareWriterChangeKeyVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    MifareWriterChangeKeyWithFeatureReportProtocol command(keyInformation_);
    command.Execute(transport);
    command.ValidateResponse();
}

void MifareWriterChangeKeyVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void MifareWriterChangeKeyVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kSerialBinaryNotSupported);
}

}  // namespace TavProtocol
