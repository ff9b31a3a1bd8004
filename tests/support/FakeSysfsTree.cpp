#include "support/FakeSysfsTree.h"

#include <fmt/format.h>

#include <fstream>
#include <stdexcept>

#include "support/FakeHidrawNumbers.h"

namespace TavTest {

namespace fs = std::filesystem;

void WriteTextFile(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream << text;
    if (!stream) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

FakeSysfsTree::FakeSysfsTree(fs::path root, std::optional<fs::path> devicesRoot)
    : root_(std::move(root)), devicesRoot_(devicesRoot ? *devicesRoot : root_ / "devices") {
    fs::create_directories(root_ / "bus/usb/devices");
    fs::create_directories(root_ / "class/hidraw");
    fs::create_directories(root_ / "bus/hid");
    fs::create_directories(devicesRoot_);
}

FakeUsbDevice FakeSysfsTree::Device(const std::string& name, std::vector<std::string> interfaces) {
    const auto dash = name.find('-');
    FakeUsbDevice device;
    device.name = name;
    device.busnum = name.substr(0, dash);
    device.devpath = name.substr(dash + 1);
    device.idVendor = "0abc";
    device.idProduct = "1234";
    device.interfaces = std::move(interfaces);
    return device;
}

fs::path FakeSysfsTree::BusFolder(int bus) const {
    return devicesRoot_ / "pci0000:00/0000:00:14.0" / fmt::format("usb{}", bus);
}

void FakeSysfsTree::Link(const fs::path& link, const fs::path& target) const {
    fs::create_directories(link.parent_path());
    fs::create_directory_symlink(target.lexically_relative(link.parent_path()), link);
}

fs::path FakeSysfsTree::AddUsbDevice(const FakeUsbDevice& device) {
    // The bus number comes from the name, so that a device with a broken busnum still has a place.
    const int bus = std::stoi(device.name.substr(0, device.name.find('-')));
    const fs::path hub = BusFolder(bus);
    if (!fs::exists(hub)) {
        WriteTextFile(hub / "busnum", fmt::format("{}\n", bus));
        WriteTextFile(hub / "devpath", "0\n");
        WriteTextFile(hub / "idVendor", "1d6b\n");
        WriteTextFile(hub / "idProduct", "0002\n");
        WriteTextFile(hub / "product", "xHCI Host Controller\n");
        Link(root_ / "bus/usb/devices" / fmt::format("usb{}", bus), hub);
    }

    // A device behind a hub ("1-7.2") sits in the hub's folder, as in the kernel's tree.
    fs::path folder = hub;
    const std::string chain = device.name.substr(device.name.find('-') + 1);
    std::string prefix = device.name.substr(0, device.name.find('-') + 1);
    std::size_t start = 0;
    while (true) {
        const auto dot = chain.find('.', start);
        folder /= prefix + chain.substr(0, dot);
        if (dot == std::string::npos) {
            break;
        }
        start = dot + 1;
    }
    fs::create_directories(folder);

    const std::pair<const char*, const std::optional<std::string>*> attributes[] = {
        {"busnum", &device.busnum},       {"devpath", &device.devpath},           {"idVendor", &device.idVendor},
        {"idProduct", &device.idProduct}, {"manufacturer", &device.manufacturer}, {"product", &device.product},
        {"serial", &device.serial},
    };
    for (const auto& [file, value] : attributes) {
        if (*value) {
            WriteTextFile(folder / file, **value + "\n");
        }
    }
    Link(root_ / "bus/usb/devices" / device.name, folder);
    // What libudev reads, so that hidapi finds a device by its ids: each folder's subsystem link
    // and uevent (devtype, the HID ids and serial number, the node's name under /dev).
    const std::string vendor = device.idVendor.value_or("0000");
    const std::string product = device.idProduct.value_or("0000");
    Link(folder / "subsystem", root_ / "bus/usb");
    WriteTextFile(folder / "uevent", fmt::format("DEVTYPE=usb_device\nDRIVER=usb\nBUSNUM={:0>3}\n", bus));

    for (std::size_t index = 0; index < device.interfaces.size(); ++index) {
        const std::string interfaceName = fmt::format("{}:1.{}", device.name, index);
        const fs::path interface = folder / interfaceName;
        WriteTextFile(interface / "bInterfaceNumber", fmt::format("{:02x}\n", index));
        Link(interface / "subsystem", root_ / "bus/usb");
        WriteTextFile(interface / "uevent", "DEVTYPE=usb_interface\nDRIVER=usbhid\nINTERFACE=3/0/0\n");
        Link(root_ / "bus/usb/devices" / interfaceName, interface);
        const std::string& node = device.interfaces[index];
        if (node.empty()) {
            continue;
        }
        const fs::path hid = interface / fmt::format("0003:{}:{}.{:04X}", vendor, product, index + 1);
        const fs::path hidraw = hid / "hidraw" / node;
        WriteTextFile(hidraw / "dev", fmt::format("{}:{}\n", kFakeHidrawMajor, FakeHidrawMinor(node)));
        Link(hidraw / "device", hid);
        Link(hidraw / "subsystem", root_ / "class/hidraw");
        WriteTextFile(hidraw / "uevent", fmt::format("MAJOR={}\nMINOR={}\nDEVNAME={}\n", kFakeHidrawMajor,
                                                     FakeHidrawMinor(node), node));
        Link(hid / "subsystem", root_ / "bus/hid");
        WriteTextFile(hid / "uevent",
                      fmt::format("DRIVER=hid-generic\nHID_ID=0003:0000{:0>4}:0000{:0>4}\nHID_NAME={} {}\nHID_UNIQ={}\n",
                                  vendor, product, device.manufacturer.value_or(""), device.product.value_or(""),
                                  device.serial.value_or("")));
        Link(root_ / "class/hidraw" / node, hidraw);
    }
    return folder;
}

void FakeSysfsTree::AddDanglingHidrawNode(const std::string& node) {
    const fs::path hidraw = devicesRoot_ / "virtual/misc" / node;
    fs::create_directories(hidraw);
    Link(hidraw / "device", devicesRoot_ / "virtual/gone");
    Link(root_ / "class/hidraw" / node, hidraw);
}

}  // namespace TavTest
