#pragma once

#include <filesystem>
#include <vector>

#include "transport/UsbDeviceRecord.h"
#include "transport/UsbSysfs.h"

namespace TavTransport {

// The USB devices attached, in the directory order of bus/usb/devices, without opening any of them.
// Root hubs and interfaces are left out, and so is a device whose identity cannot be read.
std::vector<UsbDeviceRecord> enumerateUsbDevicesFromSysfs(
    const std::filesystem::path& sysfsRoot = UsbSysfs::kDefaultRoot);

}  // namespace TavTransport
