#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace TavTest {

// One USB device as sysfs shows it. An attribute left unset has no file.
struct FakeUsbDevice {
    std::string name;  // "1-7", "1-7.2"
    std::optional<std::string> busnum;
    std::optional<std::string> devpath;
    std::optional<std::string> idVendor;
    std::optional<std::string> idProduct;
    std::optional<std::string> manufacturer;
    std::optional<std::string> product;
    std::optional<std::string> serial;
    // hidraw node name per interface ("hidraw90"), or empty for an interface without one.
    std::vector<std::string> interfaces;
};

// A sysfs tree shaped like the kernel's, written into an ordinary folder: device folders under
// devices/, the bus/usb/devices links to them (devices, root hubs and interfaces), and for each HID
// interface a hidraw node with its class/hidraw link, its "device" link and its device numbers
// (FakeHidrawNumbers.h), which a simulated node of that name also reports.
class FakeSysfsTree {
public:
    // The device folders go to devicesRoot, by default root/devices; a tree built over a mounted
    // /sys/bus keeps them under that mount instead.
    explicit FakeSysfsTree(std::filesystem::path root, std::optional<std::filesystem::path> devicesRoot = {});

    const std::filesystem::path& Root() const { return root_; }

    // Adds a device (and the root hub of its bus, once); returns the device folder.
    std::filesystem::path AddUsbDevice(const FakeUsbDevice& device);
    // A device that has both files, VID 0abc PID 1234, bus and devpath from its name.
    static FakeUsbDevice Device(const std::string& name, std::vector<std::string> interfaces = {});
    // A class/hidraw entry whose device link leads nowhere.
    void AddDanglingHidrawNode(const std::string& node);

private:
    std::filesystem::path BusFolder(int bus) const;
    void Link(const std::filesystem::path& link, const std::filesystem::path& target) const;

    std::filesystem::path root_;
    std::filesystem::path devicesRoot_;
};

// Writes text to a file, creating its folders.
void WriteTextFile(const std::filesystem::path& file, const std::string& text);

}  // namespace TavTest
