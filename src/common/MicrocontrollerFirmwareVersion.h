#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace TavProtocol {

// Firmware version of the control or the radio microcontroller.
#pragma pack(push, 1)
struct MicrocontrollerFirmwareVersion {
    uint32_t Version{};       // host byte order
    uint8_t FirmwareClass{};  // echo of request byte 2
    uint8_t ModuleType{};     // echo of request byte 3

    // Fills the record from a feature-report or serial-binary reply phrase of at least 8 bytes;
    // a shorter reply throws ElvarinException.
    static MicrocontrollerFirmwareVersion FromReplyPhrase(std::span<const uint8_t> reply);
    bool operator==(const MicrocontrollerFirmwareVersion& other) const;
    bool operator!=(const MicrocontrollerFirmwareVersion& other) const { return !(*this == other); }
};
#pragma pack(pop)

static_assert(offsetof(MicrocontrollerFirmwareVersion, FirmwareClass) == 4);
static_assert(sizeof(MicrocontrollerFirmwareVersion) == 6);

}  // namespace TavProtocol
