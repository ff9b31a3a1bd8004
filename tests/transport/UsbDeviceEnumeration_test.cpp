#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/FakeSysfsTree.h"
#include "support/TempDir.h"
#include "transport/UsbDeviceEnumeration.h"
#include "transport/UsbSysfs.h"

namespace {

using TavTest::FakeSysfsTree;
using TavTest::FakeUsbDevice;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;

std::string Describe(const TavTransport::UsbDeviceRecord& record) {
    return fmt::format("{} {:04x}:{:04x} '{}' '{}' {}", record.UsbPath, record.VendorId, record.ProductId,
                       record.Description, record.SerialNumber, record.DevicePath);
}

// Directory order is not creation order: results are compared as sets.
std::vector<std::string> Enumerate(const std::filesystem::path& root) {
    std::vector<std::string> described;
    for (const auto& record : TavTransport::enumerateUsbDevicesFromSysfs(root)) {
        described.push_back(Describe(record));
    }
    return described;
}

class UsbDeviceEnumerationTest : public ::testing::Test {
protected:
    TavTest::TempDir temp_;
    FakeSysfsTree tree_{temp_.Path() / "sys"};
};

TEST_F(UsbDeviceEnumerationTest, ListsDevicesWithIdsBusPathsSerialsAndHidrawNodes) {
    FakeUsbDevice reader = FakeSysfsTree::Device("1-7", {"hidraw90"});
    reader.idVendor = "0c27";
    reader.idProduct = "3bfa";
    reader.manufacturer = "Vendor";
    reader.product = "Reader";
    reader.serial = "SN-0001";
    tree_.AddUsbDevice(reader);

    // Behind a hub, HID on its second interface only.
    FakeUsbDevice hub = FakeSysfsTree::Device("1-4");
    hub.idVendor = "05e3";
    hub.idProduct = "0610";
    hub.product = "USB2.0 Hub";
    tree_.AddUsbDevice(hub);
    FakeUsbDevice behindHub = FakeSysfsTree::Device("1-4.1", {"", "hidraw91"});
    behindHub.manufacturer = "Vendor";
    behindHub.serial = "SN-0002";
    tree_.AddUsbDevice(behindHub);

    // The same port chain on another bus must not take the node of 1-4.1, nor 1-4.1's of this one.
    FakeUsbDevice otherBus = FakeSysfsTree::Device("3-4.1", {"hidraw92", "hidraw93"});
    otherBus.idVendor = "0x0C27";
    otherBus.idProduct = "3Bfa";
    tree_.AddUsbDevice(otherBus);

    FakeUsbDevice noHid = FakeSysfsTree::Device("2-1", {""});
    noHid.serial = "";
    tree_.AddUsbDevice(noHid);

    tree_.AddDanglingHidrawNode("hidraw89");

    EXPECT_THAT(
        Enumerate(tree_.Root()),
        UnorderedElementsAre("1-7 0c27:3bfa 'Vendor Reader' 'SN-0001' /dev/hidraw90", "1-4 05e3:0610 'USB2.0 Hub' '' ",
                             "1-4.1 0abc:1234 'Vendor' 'SN-0002' /dev/hidraw91", "3-4.1 0c27:3bfa '' '' /dev/hidraw92",
                             "2-1 0abc:1234 '' '' "));
}

TEST_F(UsbDeviceEnumerationTest, DeviceWithoutHidrawClassFolderIsListedWithoutNode) {
    tree_.AddUsbDevice(FakeSysfsTree::Device("1-7", {"hidraw90"}));
    std::filesystem::remove_all(tree_.Root() / "class/hidraw");

    EXPECT_THAT(Enumerate(tree_.Root()), UnorderedElementsAre("1-7 0abc:1234 '' '' "));
}

TEST_F(UsbDeviceEnumerationTest, MissingBusFolderGivesEmptyList) {
    EXPECT_THAT(Enumerate(temp_.Path() / "nowhere"), IsEmpty());
    EXPECT_THAT(Enumerate(tree_.Root()), IsEmpty());
}

struct IdentityCase {
    const char* label;
    const char* attribute;            // the file that differs from a good device
    std::optional<std::string> text;  // its content; nullopt removes it
    const char* expected;             // the device's record, or nullptr when it is skipped
};

void PrintTo(const IdentityCase& identityCase, std::ostream* os) { *os << identityCase.label; }

class UsbDeviceIdentityTest : public UsbDeviceEnumerationTest, public ::testing::WithParamInterface<IdentityCase> {};

// One device with an odd identity among good ones: it is parsed as sysfs' words allow, or skipped
// without costing the others their listing.
TEST_P(UsbDeviceIdentityTest, OddIdentityAffectsOnlyItsDevice) {
    const IdentityCase& param = GetParam();
    tree_.AddUsbDevice(FakeSysfsTree::Device("1-1"));
    const auto odd = tree_.AddUsbDevice(FakeSysfsTree::Device("1-2"));
    tree_.AddUsbDevice(FakeSysfsTree::Device("1-3"));
    if (param.text) {
        TavTest::WriteTextFile(odd / param.attribute, *param.text);
    } else {
        std::filesystem::remove(odd / param.attribute);
    }

    std::vector<std::string> expected{"1-1 0abc:1234 '' '' ", "1-3 0abc:1234 '' '' "};
    if (param.expected != nullptr) {
        expected.emplace_back(param.expected);
    }
    EXPECT_THAT(Enumerate(tree_.Root()), UnorderedElementsAreArray(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsbDeviceIdentityTest,
    ::testing::Values(IdentityCase{"TrailingNonHexIgnored", "idVendor", "12zz\n", "1-2 0012:1234 '' '' "},
                      IdentityCase{"HexPrefixAccepted", "idProduct", "0xBEEF\n", "1-2 0abc:beef '' '' "},
                      IdentityCase{"LowSixteenBitsKept", "idVendor", "12345\n", "1-2 2345:1234 '' '' "},
                      IdentityCase{"SerialIsFirstLine", "serial", "A B\nsecond\n", "1-2 0abc:1234 '' 'A B' "},
                      IdentityCase{"EmptyVendorSkipped", "idVendor", "", nullptr},
                      IdentityCase{"NonHexVendorSkipped", "idVendor", "zz\n", nullptr},
                      IdentityCase{"HugeProductSkipped", "idProduct", "1ffffffffffffffff\n", nullptr},
                      IdentityCase{"MissingProductIdSkipped", "idProduct", std::nullopt, nullptr},
                      IdentityCase{"MissingBusnumSkipped", "busnum", std::nullopt, nullptr},
                      IdentityCase{"NonNumericBusnumSkipped", "busnum", "x\n", nullptr},
                      IdentityCase{"EmptyDevpathSkipped", "devpath", "\n", nullptr}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(UsbDeviceEnumerationTest, UnreadableIdentityFileSkipsOnlyThatDevice) {
    tree_.AddUsbDevice(FakeSysfsTree::Device("1-1"));
    const auto odd = tree_.AddUsbDevice(FakeSysfsTree::Device("1-2"));
    // A folder in place of the file opens but cannot be read, whatever the user's rights.
    std::filesystem::remove(odd / "idVendor");
    std::filesystem::create_directory(odd / "idVendor");

    EXPECT_THAT(Enumerate(tree_.Root()), UnorderedElementsAre("1-1 0abc:1234 '' '' "));
}

TEST_F(UsbDeviceEnumerationTest, BusPathOfAListedDeviceResolvesToItsNode) {
    FakeUsbDevice device = FakeSysfsTree::Device("3-4.1", {"", "hidraw95"});
    tree_.AddUsbDevice(device);
    tree_.AddUsbDevice(FakeSysfsTree::Device("1-4.1", {"hidraw96"}));

    const auto records = TavTransport::enumerateUsbDevicesFromSysfs(tree_.Root());
    for (const auto& record : records) {
        const auto location = TavTransport::UsbSysfs::ParseUsbBusPath(record.UsbPath);
        ASSERT_TRUE(location) << record.UsbPath;
        EXPECT_EQ(TavTransport::UsbSysfs::FindHidrawNode(tree_.Root(), *location), record.DevicePath);
    }
    ASSERT_EQ(records.size(), 2u);
}

}  // namespace
