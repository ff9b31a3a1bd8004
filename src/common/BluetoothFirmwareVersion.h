#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace TavProtocol {

// Firmware version of the Bluetooth module.
#pragma pack(push, 1)
struct BluetoothFirmwareVersion {
    uint32_t Major{};
    uint32_t Minor{};
    uint32_t Build{};
    uint8_t FirmwareClass{};  // echo of request byte 2
    uint8_t ModuleType{};     // echo of request byte 3

    // Fills the record from a feature-report reply phrase of at least 8 bytes: Major and Minor from
    // bytes 4 and 5, Build big-endian from bytes 6 and 7. A shorter reply throws ElvarinException.
    static BluetoothFirmwareVersion FromFeatureReportReplyPhrase(std::span<const uint8_t> reply);
    bool operator==(const BluetoothFirmwareVersion& other) const;
    bool operator!=(const BluetoothFirmwareVersion& other) const { return !(*this == other); }
};
#pragma pack(pop)

static_assert(offsetof(BluetoothFirmwareVersion, Build) == 8);
static_assert(offsetof(BluetoothFirmwareVersion, FirmwareClass) == 12);
static_assert(sizeof(BluetoothFirmwareVersion) == 14);

}  // namespace TavProtocol
