#include "reader/BleBlobFirmwareBytes.h"

#include <array>

namespace Tav {

namespace {

struct ManagedByte {
    std::size_t position;
    uint8_t withRfHidBle;
    uint8_t without;
};

constexpr std::array<ManagedByte, 7> kManagedBytes{{
    {145, 0x00, 0x00},
    {146, 0x44, 0x00},
    {147, 0x49, 0x00},
    {148, 0x48, 0x00},
    {173, 0xFC, 0x00},
    {194, 0xC1, 0x00},
    {213, 0xFC, 0x00},
}};

}  // namespace

std::vector<BleBlobMismatch> FindBleBlobMismatches(std::vector<uint8_t>& blob, bool rfHidBleInstalled) {
    std::vector<BleBlobMismatch> changes;
    for (const ManagedByte& managed : kManagedBytes) {
        if (managed.position >= blob.size()) {
            continue;
        }
        const uint8_t expected = rfHidBleInstalled ? managed.withRfHidBle : managed.without;
        uint8_t& byte = blob[managed.position];
        if (byte != expected) {
            changes.push_back({managed.position, byte, expected});
            byte = expected;
        }
    }
    return changes;
}

}  // namespace Tav
