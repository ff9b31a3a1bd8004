#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace TavProtocol {

// Firmware version of the HID SE secure access module.
#pragma pack(push, 1)
struct HidSeSamFirmwareVersion {
    uint32_t Version{};       // host byte order
    uint8_t FirmwareClass{};  // echo of request byte 2
    uint8_t ModuleType{};     // echo of request byte 3

    // Fills the record from a feature-report or serial-binary reply phrase of at least 8 bytes;
    // a shorter reply throws ElvarinException.
    static HidSeSamFirmwareVersion FromReplyPhrase(std::span<const uint8_t> reply);
    bool operator==(const HidSeSamFirmwareVersion& other) const;
    bool operator!=(const HidSeSamFirmwareVersion& other) const { return !(*this == other); }
};
#pragma pack(pop)

static_assert(offsetof(HidSeSamFirmwareVersion, FirmwareClass) == 4);
static_assert(sizeof(HidSeSamFirmwareVersion) == 6);

}  // namespace TavProtocol
