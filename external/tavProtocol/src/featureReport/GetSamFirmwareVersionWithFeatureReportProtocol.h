#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "common/FelicaSamFirmwareVersion.h"
#include "common/HidSeSamFirmwareVersion.h"
#include "common/NxpSamFirmwareVersion.h"
#include "core/CheckSite.h"
#include "core/Command.h"

namespace TavProtocol {

// Reads the firmware version of a secure access module (selector 0 HID SE, 1 NXP, 3 FeliCa). The
// one reply is read three ways, once for each SAM record.
class GetSamFirmwareVersionWithFeatureReportProtocol : public Command {
public:
    explicit GetSamFirmwareVersionWithFeatureReportProtocol(uint8_t samSelector) : samSelector_(samSelector) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1 && responsePhrases_.empty(); }

    FelicaSamFirmwareVersion GetFelicaSamFirmwareVersion() const;
    NxpSamFirmwareVersion GetNxpSamFirmwareVersion() const;
    HidSeSamFirmwareVersion GetHidSeSamFirmwareVersion() const;

private:
    std::span<const uint8_t> Reply(CheckSite site) const;

    uint8_t samSelector_;
};

}  // namespace TavProtocol
