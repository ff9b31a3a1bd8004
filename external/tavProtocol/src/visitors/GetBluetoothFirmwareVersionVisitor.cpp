#include "visitors/GetBluetoothFirmwareVersionVisitor.h"

#include "featureReport/GetBluetoothFirmwareVersionWithFeatureReportProtocol.h"
#include "mfp24/GetBluetoothFirmwareVersionWithMfp24Protocol.h"

namespace TavProtocol {

void GetBluetoothFirmwareVersionVisitor::ValidateArguments() {
    if (moduleType_ == FirmwareVersionModuleType::Unspecified) {
        TAV_THROW(ProtocolException, "Module type must be specified");
    }
}

void GetBluetoothFirmwareVersionVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    GetBluetoothFirmwareVersionWithFeatureReportProtocol command(moduleType_);
    command.Execute(transport);
    version_ = command.GetResult();
}

void GetBluetoothFirmwareVersionVisitor::Visit(Mfp24Protocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    GetBluetoothFirmwareVersionWithMfp24Protocol command(moduleType_);
    command.Execute(transport);
    command.ValidateResponse();
    version_ = command.GetResult();
}

void GetBluetoothFirmwareVersionVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kSerialBinaryNotSupported);
}

}  // namespace TavProtocol
