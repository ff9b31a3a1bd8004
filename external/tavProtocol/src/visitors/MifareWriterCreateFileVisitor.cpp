#include "visitors/MifareWriterCreateFileVisitor.h"

#include "featureReport/MifareWriterCreateFileWithFeatureReportProtocol.h"

namespace TavProtocol {

void MifareWriterCreateFileVisitor::ValidateArguments() {
    ThrowProtocolExceptionForPropertyOutOfRange("_fileInfo.FileLength", fileInfo_.FileLength, 1, 128);
    ThrowProtocolExceptionForPropertyOutOfRange("_fileInfo.WriteKey", fileInfo_.WriteKey, 0, 14);
    if (fileInfo_.EncryptionMode != 0 && fileInfo_.EncryptionMode != 1 && fileInfo_.EncryptionMode != 3) {
        TAV_THROW(ProtocolException, "Invalid EncryptionMode value was specified");
    }
    if (fileInfo_.FeatureFlag != 0 && fileInfo_.FeatureFlag != 3) {
        TAV_THROW(ProtocolException, "Invalid FeatureFlag value was specified");
    }
}

void MifareWriterCreateFileVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    MifareWriterCreateFileWithFeatureReportProtocol command(fileInfo_);
    command.Execute(transport);
    command.ValidateResponse();
}

void MifareWriterCreateFileVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void MifareWriterCreateFileVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kSerialBinaryNotSupported);
}

}  // namespace TavProtocol
