#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "facade/ProtocolFacade.h"
#include "facade/ProtocolFacadeExports.h"
#include "facade/SupportedUsbDevice.h"
#include "support/FakeSysfsTree.h"
#include "support/TempDir.h"
#include "transport/UsbDeviceEnumeration.h"

namespace {

using TavCommon::ReaderDefinition;
using TavProtocol::ProtocolFacade;
using TavTest::FakeSysfsTree;

class UsbDiscoveryTest : public ::testing::Test {
protected:
    void AddDevice(const std::string& name, const std::string& vendorId, const std::string& productId,
                   const std::string& serial) {
        TavTest::FakeUsbDevice device = FakeSysfsTree::Device(name, {"hidraw" + std::to_string(next_++)});
        device.idVendor = vendorId;
        device.idProduct = productId;
        device.serial = serial;
        tree_.AddUsbDevice(device);
    }

    uint64_t Count() {
        uint64_t count = 12345;
        const ProtocolCommandResult result = TavProtocol::Exports::DiscoverUsbReaders(nullptr, &count, tree_.Root());
        EXPECT_FALSE(result.HasException) << result.Message;
        return count;
    }

    TavTest::TempDir temp_;
    FakeSysfsTree tree_{temp_.Path() / "sys"};
    int next_ = 90;
};

void ExpectInvalidArgument(const ProtocolCommandResult& result, const char* message, int32_t line) {
    EXPECT_TRUE(result.HasException);
    EXPECT_STREQ(result.Message, message);
    EXPECT_STREQ(result.ExceptionType, "InvalidArgument");
    EXPECT_STREQ(result.File, "./external/tavProtocol/src/ProtocolFacadeExports");
    EXPECT_EQ(result.Line, line);
    EXPECT_STREQ(result.Function, "DiscoverUsbReaders");
}

constexpr const char* kCountMismatch =
    "Provided readerCount does not match the number of readers. Call DiscoverUsbReaders with readers set to nullptr "
    "to get the required buffer size.";

TEST(SupportedUsbDeviceTest, TheTableHasThirteenOwnModelsInThreeRunsAndSixSingles) {
    std::vector<uint16_t> own;
    for (const TavProtocol::SupportedUsbDevice& device : TavProtocol::kSupportedUsbDevices) {
        if (device.VendorId == 0x5E17) {
            own.push_back(device.ProductId);
        }
    }
    ASSERT_EQ(own.size(), 13U);
    std::map<size_t, int> runLengths;
    for (size_t start = 0; start < own.size();) {
        size_t end = start + 1;
        while (end < own.size() && own[end] == own[end - 1] + 1) {
            ++end;
        }
        ++runLengths[end - start];
        start = end;
    }
    EXPECT_EQ(runLengths, (std::map<size_t, int>{{1, 6}, {2, 2}, {3, 1}}));
    EXPECT_TRUE(TavProtocol::IsSupportedUsbDevice(0x19E5, 0x2021));
    EXPECT_FALSE(TavProtocol::IsSupportedUsbDevice(0x19E5, 0x0003));
    EXPECT_FALSE(TavProtocol::IsSupportedUsbDevice(0x171B, 0x0002)) << "ids only count as a pair";
}

TEST_F(UsbDiscoveryTest, OffersTheSupportedDevicesInListingOrderAsFeatureReportReaders) {
    const std::string longSerial(300, 'S');
    AddDevice("1-1", "5e17", "0101", "A-1");
    AddDevice("1-2", "19e5", "0003", "not ours");
    AddDevice("1-3", "171b", "1004", "DUP");
    AddDevice("1-3.4", "171b", "2001", "DUP");
    AddDevice("2-5", "5e17", "0601", longSerial);
    // 300 bytes of two-byte characters: the 255-byte field keeps 127 whole ones.
    std::string accentedSerial;
    for (int i = 0; i < 150; ++i) {
        accentedSerial += "\xC3\xA9";
    }
    AddDevice("2-6", "5e17", "0601", accentedSerial);

    // Directory order is the kernel's: the expected order comes from the listing itself.
    std::vector<std::string> expectedPaths;
    for (const auto& record : TavTransport::enumerateUsbDevicesFromSysfs(tree_.Root())) {
        if (record.UsbPath != "1-2") {
            expectedPaths.push_back(record.UsbPath);
        }
    }
    const std::map<std::string, std::tuple<uint16_t, uint16_t, std::string>> expected = {
        {"1-1", {0x5E17, 0x0101, "A-1"}},
        {"1-3", {0x171B, 0x1004, "DUP"}},
        {"1-3.4", {0x171B, 0x2001, "DUP"}},
        {"2-5", {0x5E17, 0x0601, longSerial.substr(0, 255)}},
        {"2-6", {0x5E17, 0x0601, accentedSerial.substr(0, 254)}},
    };

    std::vector<ReaderDefinition> readers(7);
    const ProtocolCommandResult result = ProtocolFacade::DiscoverUsbReaders(readers, tree_.Root());
    ASSERT_FALSE(result.HasException) << result.Message;
    ASSERT_EQ(readers.size(), expectedPaths.size());
    for (size_t i = 0; i < readers.size(); ++i) {
        const ReaderDefinition& reader = readers[i];
        SCOPED_TRACE(reader.UsbPath);
        EXPECT_EQ(reader.UsbPath, expectedPaths[i]);
        const auto& [vendorId, productId, serial] = expected.at(reader.UsbPath);
        // Copies: the definition is packed, and a reference to one of its fields may be misaligned.
        const uint16_t readerVendorId = reader.VendorId;
        const uint16_t readerProductId = reader.ProductId;
        EXPECT_EQ(readerVendorId, vendorId);
        EXPECT_EQ(readerProductId, productId);
        EXPECT_EQ(reader.SerialNumber, serial);
        EXPECT_EQ(reader.ProtocolType, 1);
        const TavCommon::SerialPortSettings zero{};
        EXPECT_EQ(std::memcmp(&reader.SerialPortSettings, &zero, sizeof zero), 0);
    }
}

TEST_F(UsbDiscoveryTest, CountsThenCopiesTheCachedList) {
    EXPECT_EQ(Count(), 0U) << "no supported reader attached";

    AddDevice("1-1", "5e17", "0101", "A-1");
    AddDevice("1-2", "19e5", "0002", "B-2");
    AddDevice("1-3", "05e3", "0610", "hub");
    ASSERT_EQ(Count(), 2U);

    // Two copies after one count give the same list; the tree changing in between does not matter.
    AddDevice("1-4", "5e17", "0102", "C-3");
    ReaderDefinition first[2];
    ReaderDefinition second[2];
    std::memset(second, 0x33, sizeof second);
    uint64_t count = 2;
    ASSERT_FALSE(TavProtocol::Exports::DiscoverUsbReaders(first, &count, tree_.Root()).HasException);
    ASSERT_FALSE(TavProtocol::Exports::DiscoverUsbReaders(second, &count, tree_.Root()).HasException);
    EXPECT_EQ(std::memcmp(first, second, sizeof first), 0);
    EXPECT_EQ(count, 2U);
    std::vector<std::string> serials = {first[0].SerialNumber, first[1].SerialNumber};
    std::sort(serials.begin(), serials.end());
    EXPECT_EQ(serials, (std::vector<std::string>{"A-1", "B-2"}));
}

TEST_F(UsbDiscoveryTest, RefusesANullCountAndACountThatIsNotTheCachedOne) {
    AddDevice("1-1", "5e17", "0101", "A-1");
    ASSERT_EQ(Count(), 1U);
    AddDevice("1-2", "5e17", "0102", "B-2");

    ReaderDefinition readers[3];
    std::memset(readers, 0x44, sizeof readers);
    const ReaderDefinition untouched = readers[0];
    for (ReaderDefinition* buffer : {static_cast<ReaderDefinition*>(nullptr), readers}) {
        ExpectInvalidArgument(TavProtocol::Exports::DiscoverUsbReaders(buffer, nullptr, tree_.Root()),
                              "readerCount pointer cannot be null", 65);
    }
    uint64_t count = 2;
    ExpectInvalidArgument(TavProtocol::Exports::DiscoverUsbReaders(readers, &count, tree_.Root()), kCountMismatch, 80);
    EXPECT_EQ(std::memcmp(&readers[0], &untouched, sizeof untouched), 0);
    EXPECT_EQ(count, 2U);

    // The null-count calls listed nothing: the cache still holds the one reader of the count.
    count = 1;
    ASSERT_FALSE(TavProtocol::Exports::DiscoverUsbReaders(readers, &count, tree_.Root()).HasException);
    EXPECT_STREQ(readers[0].SerialNumber, "A-1");
}

}  // namespace
