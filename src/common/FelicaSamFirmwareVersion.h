#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace TavProtocol {

// Firmware version of the FeliCa secure access module. The reader sends this version most significant
// byte first; the record holds the number in host order.
#pragma pack(push, 1)
struct FelicaSamFirmwareVersion {
    uint32_t Version{};       // host byte order
    uint8_t FirmwareClass{};  // echo of request byte 2
    uint8_t ModuleType{};     // echo of request byte 3

    // Fills the record from a feature-report or serial-binary reply phrase of at least 8 bytes;
    // a shorter reply throws ElvarinException.
    static FelicaSamFirmwareVersion FromReplyPhrase(std::span<const uint8_t> reply);
    bool operator==(const FelicaSamFirmwareVersion& other) const;
    bool operator!=(const FelicaSamFirmwareVersion& other) const { return !(*this == other); }
};
#pragma pack(pop)

static_assert(offsetof(FelicaSamFirmwareVersion, FirmwareClass) == 4);
static_assert(sizeof(FelicaSamFirmwareVersion) == 6);

}  // namespace TavProtocol
