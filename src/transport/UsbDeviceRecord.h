#pragma once

#include <cstdint>
#include <string>

namespace TavTransport {

// One attached USB device as sysfs lists it.
struct UsbDeviceRecord {
    std::string UsbPath;  // bus number, "-", devpath: "1-7", "1-7.2"
    uint16_t VendorId = 0;
    uint16_t ProductId = 0;
    std::string Description;   // manufacturer and product, as far as present
    std::string SerialNumber;  // empty when the device has none
    std::string DevicePath;    // "/dev/hidrawN"; empty when the device has no hidraw node
};

}  // namespace TavTransport
