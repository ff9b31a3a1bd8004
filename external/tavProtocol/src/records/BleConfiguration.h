#pragma once

#include <cstdint>

namespace TavProtocol {

// The reader's BLE radio settings.
struct BleConfiguration {
    uint8_t Flags = 0;     // bits 5 and 6 are always written as 0
    int8_t TapInRssi = 0;  // dBm
    int8_t TxPower = 0;    // dBm

    bool operator==(const BleConfiguration&) const = default;
};
static_assert(sizeof(BleConfiguration) == 3);

}  // namespace TavProtocol
