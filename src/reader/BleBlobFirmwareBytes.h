#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Tav {

// One byte of a BLE Data blob that the reader's firmware manages, found holding another value.
struct BleBlobMismatch {
    std::size_t position;
    uint8_t found;
    uint8_t forced;
    bool operator==(const BleBlobMismatch&) const = default;
};

// Forces the firmware-managed bytes of a BLE Data blob to the values the reader's firmware keeps
// there (which depend on whether the RF HID BLE hardware is installed); returns each change in
// position order. Positions beyond the blob are skipped.
std::vector<BleBlobMismatch> FindBleBlobMismatches(std::vector<uint8_t>& blob, bool rfHidBleInstalled);

}  // namespace Tav
