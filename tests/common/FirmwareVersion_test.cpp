#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "Tavelin/ElvarinException.h"
#include "common/BluetoothFirmwareVersion.h"
#include "common/FelicaSamFirmwareVersion.h"
#include "common/HidSeSamFirmwareVersion.h"
#include "common/MicrocontrollerFirmwareVersion.h"
#include "common/NxpSamFirmwareVersion.h"

namespace {

using namespace TavProtocol;
using Bytes = std::vector<uint8_t>;

const Bytes kReply{0x00, 0x00, 0x0A, 0x0B, 0x01, 0x02, 0x03, 0x04};

template <typename Record>
Bytes VersionBytes(const Record& record) {
    Bytes bytes(4);
    std::memcpy(bytes.data(), &record, 4);
    return bytes;
}

template <typename Record>
class SixByteFirmwareVersionTest : public ::testing::Test {};
using SixByteRecords = ::testing::Types<MicrocontrollerFirmwareVersion, NxpSamFirmwareVersion, HidSeSamFirmwareVersion>;
TYPED_TEST_SUITE(SixByteFirmwareVersionTest, SixByteRecords);

TYPED_TEST(SixByteFirmwareVersionTest, VersionBytesAreTheReplyBytesInWireOrder) {
    const auto record = TypeParam::FromReplyPhrase(kReply);
    EXPECT_EQ(VersionBytes(record), (Bytes{0x01, 0x02, 0x03, 0x04}));
    EXPECT_EQ(record.FirmwareClass, 0x0A);
    EXPECT_EQ(record.ModuleType, 0x0B);
}

TYPED_TEST(SixByteFirmwareVersionTest, DifferingInAnyByteMakesRecordsUnequal) {
    const auto record = TypeParam::FromReplyPhrase(kReply);
    for (std::size_t i = 2; i < kReply.size(); ++i) {
        Bytes changed = kReply;
        changed[i] ^= 0x80;
        EXPECT_NE(TypeParam::FromReplyPhrase(changed), record) << "byte " << i;
        EXPECT_FALSE(TypeParam::FromReplyPhrase(changed) == record) << "byte " << i;
    }
    EXPECT_EQ(TypeParam::FromReplyPhrase(kReply), record);
    EXPECT_EQ(TypeParam::FromReplyPhrase(Bytes{0xFF, 0xFF, 0x0A, 0x0B, 1, 2, 3, 4, 0xEE}), record);
}

TEST(FirmwareVersionTest, FelicaVersionArrivesMostSignificantByteFirst) {
    const auto record = FelicaSamFirmwareVersion::FromReplyPhrase(kReply);
    EXPECT_EQ(uint32_t{record.Version}, 0x01020304u);
    EXPECT_EQ(VersionBytes(record), (Bytes{0x04, 0x03, 0x02, 0x01}));  // host order on this platform
    EXPECT_EQ(record.FirmwareClass, 0x0A);
    EXPECT_EQ(record.ModuleType, 0x0B);
}

TEST(FirmwareVersionTest, BluetoothBuildIsBigEndian) {
    const auto record = BluetoothFirmwareVersion::FromFeatureReportReplyPhrase(Bytes{0, 0, 2, 0, 7, 9, 0x01, 0x02});
    EXPECT_EQ(uint32_t{record.Major}, 7u);
    EXPECT_EQ(uint32_t{record.Minor}, 9u);
    EXPECT_EQ(uint32_t{record.Build}, 258u);
    EXPECT_EQ(record.FirmwareClass, 2);
    EXPECT_EQ(record.ModuleType, 0);

    BluetoothFirmwareVersion other = record;
    other.ModuleType = 1;
    EXPECT_NE(other, record);
    other = record;
    other.Build = 259;
    EXPECT_NE(other, record);
}

TEST(FirmwareVersionTest, ShortRepliesAreRefusedNotRead) {
    const Bytes shortReply(7, 0);
    EXPECT_THROW(MicrocontrollerFirmwareVersion::FromReplyPhrase(shortReply), ElvarinException);
    EXPECT_THROW(NxpSamFirmwareVersion::FromReplyPhrase(shortReply), ElvarinException);
    EXPECT_THROW(HidSeSamFirmwareVersion::FromReplyPhrase(shortReply), ElvarinException);
    EXPECT_THROW(FelicaSamFirmwareVersion::FromReplyPhrase(Bytes{}), ElvarinException);
    try {
        BluetoothFirmwareVersion::FromFeatureReportReplyPhrase(Bytes{1, 2, 3});
        FAIL();
    } catch (const ElvarinException& error) {
        EXPECT_EQ(error.Message(), "BluetoothFirmwareVersion needs a reply phrase of at least 8 bytes, got 3");
    }
}

}  // namespace
