// BLE configuration, BLE blob and blob visitors against the simulated feature-report reader.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sim/Fault.h"
#include "support/RecordingTimeDelay.h"
#include "support/SimulatedFeatureReportReader.h"
#include "support/SimulatedProtocolReader.h"
#include "visitors/GetBleBlobVisitor.h"
#include "visitors/GetBlobVisitor.h"
#include "visitors/SetBleBlobVisitor.h"
#include "visitors/SetBleConfigurationVisitor.h"
#include "visitors/SetBlobVisitor.h"

namespace {

using namespace TavProtocol;
using TavCommon::BleDataType;
using TavCommon::BlobHeader;
using TavTest::Phrase;
using TavTest::ProtocolFailure;
using TavTest::SimulatedProtocolReader;
using TavTest::Wire;
using Bytes = std::vector<uint8_t>;

constexpr const char* kBadRssi =
    "Invalid TapInRssi value. Allowed values: -30, -33, -36, -40, -46, -50, -53, -57, -61, -63";
constexpr const char* kBadPower = "Invalid TxPower value. Allowed values: -40, -30, -20, -16, -12, -8, -4, 0";

Bytes Pattern(std::size_t size, uint8_t first = 1) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>(first + i * 7);
    }
    return bytes;
}

TEST(BleBlobVisitorTest, BleConfigurationLevelsAtTheirBoundaries) {
    struct Row {
        int8_t tapInRssi;
        int8_t txPower;
        const char* refusal;
    };
    const Row rows[] = {
        {-30, 0, nullptr}, {-63, -40, nullptr}, {-62, 0, kBadRssi}, {-30, -41, kBadPower}, {-29, 1, kBadRssi},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.tapInRssi) + " / " + std::to_string(row.txPower));
        SimulatedProtocolReader device(Wire::FeatureReport);
        SetBleConfigurationVisitor visitor(BleConfiguration{0x01, row.tapInRssi, row.txPower});
        const ProtocolFailure failure = TavTest::RunCatching(device, visitor);
        if (row.refusal == nullptr) {
            EXPECT_EQ(failure, ProtocolFailure{});
            EXPECT_EQ(device.Reader().Model()->bleConfiguration[1], static_cast<uint8_t>(row.tapInRssi));
        } else {
            EXPECT_EQ(failure, (ProtocolFailure{row.refusal, "SetBleConfigurationVisitor", "ValidateArguments"}));
            EXPECT_TRUE(device.Sent().empty());
        }
    }
}

// A blob read asks for the descriptor, then one piece of 4 bytes per started 4 bytes of data; a
// blob longer than 254 pieces cannot be addressed and is refused before anything is sent.
TEST(BleBlobVisitorTest, BlobReadsOfEveryLengthThatMatters) {
    const Bytes stored = Pattern(1016);
    struct Row {
        uint16_t length;
        std::size_t pieces;
        bool refused;
    };
    const Row rows[] = {{0, 0, false}, {1, 1, false},      {4, 1, false},
                        {5, 2, false}, {1016, 254, false}, {1017, 0, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.length);
        SimulatedProtocolReader device(Wire::FeatureReport);
        device.Reader().Model()->blobs[7] = stored;
        GetBlobVisitor visitor(BlobHeader{7, 0x21, row.length, 0x43});
        const ProtocolFailure failure = TavTest::RunCatching(device, visitor);
        if (row.refused) {
            EXPECT_EQ(failure, (ProtocolFailure{"Blob data length 1017 is more than the 1016 bytes a blob can carry",
                                                "GetBlobVisitor", "ValidateArguments"}));
            EXPECT_TRUE(device.Sent().empty());
            continue;
        }
        ASSERT_EQ(failure, ProtocolFailure{});
        const std::vector<Bytes> sent = device.Sent();
        ASSERT_EQ(sent.size(), 1 + row.pieces);
        EXPECT_EQ(sent[0], (Bytes{0x89, 0x10, 0x00, 0x00, 7, 0x21, static_cast<uint8_t>(row.length & 0xFF), 0x43}));
        for (std::size_t piece = 1; piece <= row.pieces; ++piece) {
            EXPECT_EQ(sent[piece], Phrase({0x89, 0x10, 0x00, static_cast<uint8_t>(piece)}));
        }
        // Every piece whole: up to 3 bytes beyond the data length.
        EXPECT_EQ(visitor.GetResult(), Bytes(stored.begin(), stored.begin() + 4 * row.pieces));
    }
}

TEST(BleBlobVisitorTest, AnEmptyBlobStillNeedsTheReadersEchoOfItsDescriptor) {
    SimulatedProtocolReader device(Wire::FeatureReport);
    device.InjectFault(TavSim::FaultTrigger::OnPhrase(0), TavSim::Fault::CorruptByte(4, 0x99));
    GetBlobVisitor visitor(BlobHeader{7, 0, 0, 0});
    EXPECT_EQ(TavTest::RunCatching(device, visitor),
              (ProtocolFailure{"Header Verification failed", "GetBlobWithFeatureReportProtocol", "verifyHeader"}));
}

TEST(BleBlobVisitorTest, BlobWritesOfEveryLengthThatMatters) {
    const std::size_t lengths[] = {0, 1, 4, 5, 1016, 1017};
    for (const std::size_t length : lengths) {
        SCOPED_TRACE(length);
        SimulatedProtocolReader device(Wire::FeatureReport);
        const Bytes data = Pattern(length, 0x30);
        SetBlobVisitor visitor(BlobHeader{9, 0x21, static_cast<uint16_t>(length), 0x43}, data);
        const ProtocolFailure failure = TavTest::RunCatching(device, visitor);
        if (length > 1016) {
            EXPECT_EQ(failure, (ProtocolFailure{"Blob data length 1017 is more than the 1016 bytes a blob can carry",
                                                "SetBlobVisitor", "ValidateArguments"}));
            EXPECT_TRUE(device.Sent().empty());
            continue;
        }
        ASSERT_EQ(failure, ProtocolFailure{});
        const std::size_t pieces = (length + 3) / 4;
        const std::vector<Bytes> sent = device.Sent();
        ASSERT_EQ(sent.size(), pieces + 2);
        EXPECT_EQ(sent.front(), (Bytes{0x89, 0x90, 0x00, 0x00, 9, 0x21, static_cast<uint8_t>(length & 0xFF), 0x43}));
        EXPECT_EQ(sent.back(), Phrase({0x89, 0x90, 0x00, 0xFF}));
        Bytes padded = data;
        padded.resize(4 * pieces, 0);
        EXPECT_EQ(device.Reader().Model()->blobs[9], padded);
    }
}

TEST(BleBlobVisitorTest, AFiveByteBlobEndsInAPiecePaddedWithZeros) {
    SimulatedProtocolReader device(Wire::FeatureReport);
    SetBlobVisitor visitor(BlobHeader{9, 0, 5, 0}, Bytes{1, 2, 3, 4, 5});
    ASSERT_EQ(TavTest::RunCatching(device, visitor), ProtocolFailure{});
    EXPECT_EQ(
        device.Sent(),
        (std::vector<Bytes>{Phrase({0x89, 0x90, 0x00, 0x00, 9, 0, 5, 0}), Phrase({0x89, 0x90, 0x00, 0x01, 1, 2, 3, 4}),
                            Phrase({0x89, 0x90, 0x00, 0x02, 5, 0, 0, 0}), Phrase({0x89, 0x90, 0x00, 0xFF})}));

    SimulatedProtocolReader other(Wire::FeatureReport);
    SetBlobVisitor mismatch(BlobHeader{9, 0, 6, 0}, Bytes{1, 2, 3, 4, 5});
    EXPECT_EQ(TavTest::RunCatching(other, mismatch),
              (ProtocolFailure{"Blob data length does not match with datalength in header", "SetBlobVisitor",
                               "ValidateArguments"}));
    EXPECT_TRUE(other.Sent().empty());
}

// The BLE blob read polls every 10 ms and gives up after 100 attempts.
TEST(BleBlobVisitorTest, BleBlobReadPollsAtItsIntervalUpToItsLimit) {
    SimulatedProtocolReader device(Wire::FeatureReport);
    device.Reader().Model()->bleReturnCodes[TavSim::BlePhase::ReadPoll] = std::deque<uint8_t>(100, 11);
    auto delay = std::make_unique<TavTest::RecordingTimeDelay>();
    const std::shared_ptr<TavTest::Timeline> waits = delay->Log();
    GetBleBlobVisitor visitor(BleDataType::Key, std::move(delay));
    EXPECT_EQ(TavTest::RunCatching(device, visitor).message,
              "Polling timed out after 100 attempts during GetBleBlob read poll. The reader may not have a BLE module "
              "installed.");
    EXPECT_TRUE(visitor.GetResult().empty());
    const std::vector<Bytes> sent = device.Sent();
    ASSERT_EQ(sent.size(), 101U) << "the setup, then 100 polls";
    EXPECT_EQ(sent.back(), (Bytes{0x89, 0x10, 0x00, 0x00, 0x10, 0x01, 0x00, 0x90}));
    // Every phrase is followed by 10 ms before its reply is read, every busy poll by the interval.
    std::size_t tenMillisecondWaits = 0;
    for (const TavTest::RecordedWait& wait : waits->Waits()) {
        tenMillisecondWaits += wait == TavTest::RecordedWait::Milliseconds(10) ? 1 : 0;
    }
    EXPECT_EQ(tenMillisecondWaits, sent.size() + 100);
}

// Any data type but the data blob and the write-only key reads the key blob.
TEST(BleBlobVisitorTest, BleBlobReadAndWriteOfTheKeyBlob) {
    SimulatedProtocolReader device(Wire::FeatureReport);
    const Bytes key = Pattern(128, 0x50);
    SetBleBlobVisitor write(BleDataType::Key, key, std::make_unique<TavTest::RecordingTimeDelay>());
    ASSERT_EQ(TavTest::RunCatching(device, write), ProtocolFailure{});
    EXPECT_EQ(device.Reader().Model()->bleData[2], key);

    GetBleBlobVisitor read(static_cast<BleDataType>(7), std::make_unique<TavTest::RecordingTimeDelay>());
    ASSERT_EQ(TavTest::RunCatching(device, read), ProtocolFailure{});
    EXPECT_EQ(read.GetResult(), key);
}

}  // namespace
