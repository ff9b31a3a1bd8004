#pragma once

#include <cstdint>

#include "common/FelicaSamFirmwareVersion.h"
#include "common/HidSeSamFirmwareVersion.h"
#include "common/NxpSamFirmwareVersion.h"
#include "core/CommandVisitor.h"

namespace TavProtocol {

// Reads the firmware version of a secure access module. The one reply is decoded as each SAM kind;
// the caller reads the decoding of the selector it asked for (0 HID SE, 1 NXP, 3 FeliCa).
class GetSamFirmwareVersionVisitor : public CommandVisitor {
public:
    explicit GetSamFirmwareVersionVisitor(uint8_t samSelector) : samSelector_(samSelector) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    HidSeSamFirmwareVersion GetHidSeSamFirmwareVersion() const { return hidSe_; }
    NxpSamFirmwareVersion GetNxpSamFirmwareVersion() const { return nxp_; }
    FelicaSamFirmwareVersion GetFelicaSamFirmwareVersion() const { return felica_; }

private:
    uint8_t samSelector_;
    HidSeSamFirmwareVersion hidSe_{};
    NxpSamFirmwareVersion nxp_{};
    FelicaSamFirmwareVersion felica_{};
};

}  // namespace TavProtocol
