#include "visitors/GetControlFirmwareVersionVisitor.h"

#include "featureReport/GetControlFirmwareVersionWithFeatureReportProtocol.h"
#include "serialBinary/GetControlFirmwareVersionWithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetControlFirmwareVersionVisitor::ValidateArguments() {
    if (moduleType_ == FirmwareVersionModuleType::Unspecified) {
        TAV_THROW(ProtocolException, "Module type must be specified");
    }
}

void GetControlFirmwareVersionVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    GetControlFirmwareVersionWithFeatureReportProtocol command(moduleType_);
    command.Execute(transport);
    version_ = command.GetResult();
}

void GetControlFirmwareVersionVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetControlFirmwareVersionVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    GetControlFirmwareVersionWithSerialBinaryProtocol command(moduleType_);
    command.Execute(transport);
    command.ValidateResponse();
    version_ = command.GetResult();
}

}  // namespace TavProtocol
