#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// What the USB enumeration and the USB HID transport read from sysfs. Both find a device's hidraw
// node by the same rule, so that a bus path listed by one resolves to the same node in the other.
namespace TavTransport::UsbSysfs {

inline constexpr const char* kDefaultRoot = "/sys";

// Where a USB device sits: its bus number and its port chain ("7", "7.2"), as busnum and devpath hold them.
struct UsbBusLocation {
    int busNumber = 0;
    std::string devpath;
};

// "1-7.2" -> bus 1, chain "7.2" (decimal bus number, "-", up to 63 non-blank characters).
std::optional<UsbBusLocation> ParseUsbBusPath(const std::string& busPath);

// One whitespace-delimited word / the first line of a file; nullopt when it cannot be opened or read.
std::optional<std::string> ReadFirstWord(const std::filesystem::path& file);
std::optional<std::string> ReadFirstLine(const std::filesystem::path& file);

// busnum and devpath of a USB device folder; nullopt unless both hold a number and a word.
std::optional<UsbBusLocation> ReadUsbBusLocation(const std::filesystem::path& deviceFolder);

// The nearest folder at or above start in which both busnum and devpath open: the USB device that an
// interface or a HID node belongs to.
std::optional<std::filesystem::path> FindUsbDeviceFolderAbove(const std::filesystem::path& start);

// A character device's numbers, as a sysfs "dev" attribute gives them ("241:90").
struct DeviceNumbers {
    unsigned major = 0;
    unsigned minor = 0;
    bool operator==(const DeviceNumbers&) const = default;
};

// "241:90" -> 241, 90: two decimal numbers joined by a colon, and at most the one newline sysfs
// ends the attribute with; nothing else.
std::optional<DeviceNumbers> ParseDeviceNumbers(std::string_view text);

// The numbers of the hidraw node of that name ("hidraw90"), from the whole of class/hidraw/<name>/dev;
// nullopt when the entry is missing or holds anything but them.
std::optional<DeviceNumbers> ReadHidrawDeviceNumbers(const std::filesystem::path& sysfsRoot, const std::string& name);

// "/dev/" and the name of the first hidraw node whose USB device sits at location; empty when no node
// matches; nullopt when the hidraw class folder cannot be read.
std::optional<std::string> FindHidrawNode(const std::filesystem::path& sysfsRoot, const UsbBusLocation& location);

}  // namespace TavTransport::UsbSysfs
