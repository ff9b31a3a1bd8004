#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Tavelin/ElvarinException.h"
#include "common/ReaderBleConfiguration.h"
#include "common/SmartCardConfiguration.h"

namespace {

using namespace TavCommon;
using Bytes = std::vector<uint8_t>;

Bytes Sequence(std::size_t size, uint8_t start = 1) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>(start + i);
    }
    return bytes;
}

TEST(ReaderBleConfigurationTest, StoresUpTo384BytesAndClearsTheRest) {
    ReaderBleConfiguration record;
    std::memset(record.Data, 0xAA, sizeof record.Data);
    record.SetBleDataType(BleDataType::Key).SetBleData(Sequence(10));
    EXPECT_EQ(record.DataType, BleDataType::Key);
    EXPECT_EQ(uint16_t{record.DataLength}, 10);
    EXPECT_EQ(record.ToVector(), Sequence(10));
    EXPECT_EQ(record.Data[10], 0);
    EXPECT_EQ(record.Data[383], 0);

    record.SetBleData(Sequence(384));
    EXPECT_EQ(record.ToVector(), Sequence(384));
    EXPECT_EQ(record.DataType, BleDataType::Key);

    record.SetBleData({});
    EXPECT_EQ(uint16_t{record.DataLength}, 0);
    EXPECT_TRUE(record.ToVector().empty());
}

TEST(ReaderBleConfigurationTest, RefusesMoreThan384BytesAndKeepsTheRecord) {
    ReaderBleConfiguration record;
    record.SetBleDataType(BleDataType::Data).SetBleData(Sequence(3));
    const ReaderBleConfiguration before = record;
    try {
        record.SetBleData(Sequence(385));
        FAIL();
    } catch (const ElvarinException& error) {
        EXPECT_EQ(error.Message(), "BLE data size (385) exceeds maximum allowed size (384)");
        EXPECT_EQ(error.File(), "ReaderBleConfiguration");
        EXPECT_EQ(error.Function(), "SetBleData");
    }
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
}

TEST(ReaderBleConfigurationTest, ALengthBeyondTheDataIsRefusedNotRead) {
    ReaderBleConfiguration record;
    record.DataLength = 0xFFFF;  // as a host or a file might hand it over
    EXPECT_THROW(record.ToVector(), ElvarinException);
    ReaderBleConfiguration same = record;
    EXPECT_EQ(record, same);
    same.Data[383] = 1;
    EXPECT_NE(record, same);
}

TEST(ReaderBleConfigurationTest, BytesBeyondTheLengthDoNotCount) {
    ReaderBleConfiguration left;
    left.SetBleDataType(BleDataType::Data).SetBleData(Sequence(5));
    ReaderBleConfiguration right = left;
    right.Data[5] = 0x77;
    EXPECT_EQ(left, right);
    right.Data[4] = 0x77;
    EXPECT_NE(left, right);
    right = left;
    right.SetBleDataType(BleDataType::Key);
    EXPECT_NE(left, right);
    right = left;
    right.DataLength = 6;
    EXPECT_NE(left, right);
}

TEST(SmartCardConfigurationTest, AcceptsOnlyItsBlobTypes) {
    const std::vector<uint8_t> accepted{1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 14, 15, 18, 20, 21, 22, 23, 26, 27};
    for (int type = 0; type <= 255; ++type) {
        SmartCardConfiguration record;
        const BlobHeader header{static_cast<uint8_t>(type), 0, 1, 0};
        const bool expected = std::find(accepted.begin(), accepted.end(), type) != accepted.end();
        if (expected) {
            EXPECT_NO_THROW(record.SetConfiguration(header, Bytes{9})) << type;
            continue;
        }
        try {
            record.SetConfiguration(header, Bytes{9});
            ADD_FAILURE() << "blob type " << type << " accepted";
        } catch (const ElvarinException& error) {
            EXPECT_EQ(error.Message(), "Invalid blob type for SmartCardConfiguration");
            EXPECT_EQ(error.File(), "SmartCardConfiguration");
            EXPECT_EQ(error.Function(), "SetConfiguration");
        }
    }
}

TEST(SmartCardConfigurationTest, ARefusedCallLeavesTheRecordUnchanged) {
    struct Case {
        const char* what;
        BlobHeader header;
        Bytes data;
        std::string message;
    };
    const std::vector<Case> cases{
        {"blob type", {3, 1, 2, 3}, Sequence(2), "Invalid blob type for SmartCardConfiguration"},
        {"length above the data area", {27, 1, 1017, 3}, Sequence(1017), "Data length exceeds maximum blob size"},
        {"length above the data area, any data", {27, 1, 1017, 3}, {}, "Data length exceeds maximum blob size"},
        {"data shorter than the header says",
         {1, 1, 10, 3},
         Sequence(9),
         "Blob data length does not match with datalength in header"},
        {"data longer than the header says",
         {1, 1, 10, 3},
         Sequence(11),
         "Blob data length does not match with datalength in header"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        SmartCardConfiguration record;
        record.SetConfiguration({5, 0x11, 4, 0x44}, Sequence(4, 0xA0));
        const SmartCardConfiguration before = record;
        try {
            record.SetConfiguration(testCase.header, testCase.data);
            ADD_FAILURE() << "accepted";
        } catch (const ElvarinException& error) {
            EXPECT_EQ(error.Message(), testCase.message);
        }
        EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
    }
}

TEST(SmartCardConfigurationTest, StoresHeaderAndDataOverTheOldBytes) {
    SmartCardConfiguration record;
    record.SetConfiguration({27, 0, 1016, 0}, Sequence(1016));
    EXPECT_EQ(uint16_t{record.Header.DataLength}, 1016);
    EXPECT_EQ(record.Data[1015], static_cast<uint8_t>(1016));

    record.SetConfiguration({2, 0x12, 3, 0x34}, Bytes{7, 8, 9});
    EXPECT_EQ(record.Header, (BlobHeader{2, 0x12, 3, 0x34}));
    EXPECT_EQ(record.Data[0], 7);
    EXPECT_EQ(record.Data[3], 4);  // beyond the new data: the old byte stays

    const SmartCardConfiguration before = record;
    record.SetConfiguration({4, 0, 0, 0}, {});
    EXPECT_EQ(record.Header, (BlobHeader{4, 0, 0, 0}));
    EXPECT_EQ(std::memcmp(record.Data, before.Data, sizeof record.Data), 0);
}

TEST(SmartCardConfigurationTest, EqualityCoversHeaderAndValidDataOnly) {
    SmartCardConfiguration left;
    left.SetConfiguration({1, 2, 3, 4}, Bytes{5, 6, 7});
    SmartCardConfiguration right = left;
    right.Data[3] = 0xEE;
    EXPECT_EQ(left, right);
    right.Data[2] = 0xEE;
    EXPECT_NE(left, right);
    for (int field = 0; field < 4; ++field) {
        right = left;
        switch (field) {
        case 0:
            right.Header.BlobType = 2;
            break;
        case 1:
            right.Header.HeaderByte1 = 0;
            break;
        case 2:
            right.Header.DataLength = 4;
            break;
        default:
            right.Header.HeaderByte4 = 0;
            break;
        }
        EXPECT_NE(left, right) << "header field " << field;
    }
    // A host-written length beyond the data area compares the area there is.
    left.Header.DataLength = right.Header.DataLength = 0xFFFF;
    right.Header.HeaderByte4 = left.Header.HeaderByte4;
    right.Header.BlobType = left.Header.BlobType;
    EXPECT_EQ(left, right);
}

}  // namespace
