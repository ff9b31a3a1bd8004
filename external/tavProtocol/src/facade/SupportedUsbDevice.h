#pragma once

#include <array>
#include <cstdint>

namespace TavProtocol {

// One USB reader model that discovery offers to the host: its vendor and product ids.
struct SupportedUsbDevice {
    uint16_t VendorId;
    uint16_t ProductId;
};

// Every reader model discovery knows; a device is offered only when both ids match an entry.
inline constexpr std::array<SupportedUsbDevice, 17> kSupportedUsbDevices = {{
    {0x5E17, 0x0101},
    {0x5E17, 0x0102},
    {0x5E17, 0x0103},
    {0x5E17, 0x0110},
    {0x5E17, 0x0120},
    {0x5E17, 0x0201},
    {0x5E17, 0x0202},
    {0x5E17, 0x0210},
    {0x5E17, 0x0301},
    {0x5E17, 0x0302},
    {0x5E17, 0x0401},
    {0x5E17, 0x0500},
    {0x5E17, 0x0601},
    {0x19E5, 0x0002},
    {0x19E5, 0x2021},
    {0x171B, 0x2001},
    {0x171B, 0x1004},
}};

constexpr bool IsSupportedUsbDevice(uint16_t vendorId, uint16_t productId) {
    for (const SupportedUsbDevice& device : kSupportedUsbDevices) {
        if (device.VendorId == vendorId && device.ProductId == productId) {
            return true;
        }
    }
    return false;
}

}  // namespace TavProtocol
