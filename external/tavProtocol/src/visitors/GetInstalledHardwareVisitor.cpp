#include "visitors/GetInstalledHardwareVisitor.h"

#include "featureReport/GetInstalledHardwareWithFeatureReportProtocol.h"
#include "mfp24/GetInstalledHardwareWithMfp24Protocol.h"
#include "serialBinary/GetInstalledHardwareWithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetInstalledHardwareVisitor::ValidateArguments() {}

void GetInstalledHardwareVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    GetInstalledHardwareWithFeatureReportProtocol command;
    command.Execute(transport);
    hardware_ = command.GetResult();
}

void GetInstalledHardwareVisitor::Visit(Mfp24Protocol&, TavTransport::Transport& transport) {
    GetInstalledHardwareWithMfp24Protocol command;
    command.Execute(transport);
    command.ValidateResponse();
    hardware_ = command.GetResult();
}

void GetInstalledHardwareVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    GetInstalledHardwareWithSerialBinaryProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    hardware_ = command.GetResult();
}

}  // namespace TavProtocol
