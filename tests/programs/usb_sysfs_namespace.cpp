// Enumerates USB devices through the real /sys in a private mount namespace, over a tree that it
// builds on tmpfs mounts: /sys/bus and /sys/class/hidraw. Prints one record per line.
// Exit code 77: the namespace or the mounts could not be made (the caller skips).

#include <fmt/format.h>

#include <cstdio>
#include <exception>

#include "support/FakeSysfsTree.h"
#include "support/UsbSysfsNamespace.h"
#include "transport/UsbDeviceEnumeration.h"

int main() {
    if (const int failed = TavTest::IsolateUsbSysfs(false); failed != 0) {
        return failed;
    }

    try {
        // The device folders cannot go to the real /sys/devices: they live under the /sys/bus mount.
        TavTest::FakeSysfsTree tree("/sys", "/sys/bus/.devices");
        TavTest::FakeUsbDevice reader = TavTest::FakeSysfsTree::Device("1-7", {"hidraw90"});
        reader.idVendor = "0c27";
        reader.idProduct = "3bfa";
        reader.manufacturer = "Vendor";
        reader.product = "Reader";
        reader.serial = "SN-0001";
        tree.AddUsbDevice(reader);
        tree.AddUsbDevice(TavTest::FakeSysfsTree::Device("3-4.1", {"", "hidraw91"}));
        tree.AddUsbDevice(TavTest::FakeSysfsTree::Device("2-1"));

        for (const auto& record : TavTransport::enumerateUsbDevicesFromSysfs()) {
            fmt::print("{} {:04x}:{:04x} '{}' '{}' {}\n", record.UsbPath, record.VendorId, record.ProductId,
                       record.Description, record.SerialNumber, record.DevicePath);
        }
    } catch (const std::exception& error) {
        std::printf("failed: %s\n", error.what());
        return 1;
    }
    return 0;
}
