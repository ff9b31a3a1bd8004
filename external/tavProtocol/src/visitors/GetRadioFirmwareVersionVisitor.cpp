#include "visitors/GetRadioFirmwareVersionVisitor.h"

#include "featureReport/GetRadioFirmwareVersionWithFeatureReportProtocol.h"
#include "serialBinary/GetRadioFirmwareVersionWithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetRadioFirmwareVersionVisitor::ValidateArguments() {
    if (moduleType_ == FirmwareVersionModuleType::Unspecified) {
        TAV_THROW(ProtocolException, "Module type must be specified");
    }
}

void GetRadioFirmwareVersionVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    GetRadioFirmwareVersionWithFeatureReportProtocol command(moduleType_);
    command.Execute(transport);
    version_ = command.GetResult();
}

void GetRadioFirmwareVersionVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetRadioFirmwareVersionVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    GetRadioFirmwareVersionWithSerialBinaryProtocol command(moduleType_);
    command.Execute(transport);
    command.ValidateResponse();
    version_ = command.GetResult();
}

}  // namespace TavProtocol
