#include "visitors/GetSamFirmwareVersionVisitor.h"

#include "featureReport/GetSamFirmwareVersionWithFeatureReportProtocol.h"

namespace TavProtocol {

void GetSamFirmwareVersionVisitor::ValidateArguments() {}

void GetSamFirmwareVersionVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    GetSamFirmwareVersionWithFeatureReportProtocol command(samSelector_);
    command.Execute(transport);
    // Decoded into locals first, so a failed decoding leaves the results as they were.
    const FelicaSamFirmwareVersion felica = command.GetFelicaSamFirmwareVersion();
    const NxpSamFirmwareVersion nxp = command.GetNxpSamFirmwareVersion();
    const HidSeSamFirmwareVersion hidSe = command.GetHidSeSamFirmwareVersion();
    felica_ = felica;
    nxp_ = nxp;
    hidSe_ = hidSe;
}

void GetSamFirmwareVersionVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetSamFirmwareVersionVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kSerialBinaryNotSupported);
}

}  // namespace TavProtocol
