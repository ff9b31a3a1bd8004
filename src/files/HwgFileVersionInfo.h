#pragma once

#include <string>

namespace TavCommon {

// What a writer puts into the version lines of an HWG or BLE HWG file, and whether an HWG file
// ends with the end marker and its CRC-32 line.
struct HwgFileVersionInfo {
    std::string DeviceFirmwareVersion;
    std::string LibraryVersion;
    bool WithTrailer = false;
};

}  // namespace TavCommon
