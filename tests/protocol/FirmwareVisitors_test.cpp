// The bootloader and firmware upgrade visitors against the simulated reader's bootloader, with
// their waits recorded.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/OpenDescriptorCount.h"
#include "support/RecordingTimeDelay.h"
#include "support/SimulatedFeatureReportReader.h"
#include "support/SimulatedProtocolReader.h"
#include "support/TempDir.h"
#include "visitors/EnableBootloaderModeVisitor.h"
#include "visitors/UpgradeFirmwareVisitor.h"

namespace {

using namespace TavProtocol;
using TavTest::Phrase;
using TavTest::ProtocolFailure;
using TavTest::RecordedWait;
using TavTest::SimulatedProtocolReader;
using TavTest::Wire;
using Bytes = std::vector<uint8_t>;

// A data record: count, address, type 0, the data, and the byte that makes the sum 0.
Bytes Record(uint16_t address, const Bytes& data) {
    Bytes record{static_cast<uint8_t>(data.size()), static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address),
                 0x00};
    record.insert(record.end(), data.begin(), data.end());
    uint8_t sum = 0;
    for (const uint8_t byte : record) {
        sum = static_cast<uint8_t>(sum + byte);
    }
    record.push_back(static_cast<uint8_t>(-sum));
    return record;
}

std::string RecordLine(const Bytes& record) {
    static const char* const digits = "0123456789ABCDEF";
    std::string line = ":";
    for (const uint8_t byte : record) {
        line += digits[byte >> 4];
        line += digits[byte & 0x0F];
    }
    return line + "\n";
}

class FirmwareVisitorTest : public ::testing::Test {
protected:
    std::string WriteFirmware(const std::vector<Bytes>& records) {
        const std::string path = (dir_.Path() / "firmware.hex").string();
        std::ofstream file(path, std::ios::binary);
        for (const Bytes& record : records) {
            file << RecordLine(record);
        }
        return path;
    }

    // Puts the simulated reader into its bootloader through the visitor, its waits recorded.
    void EnterBootloader(uint8_t module = 0) {
        EnableBootloaderModeVisitor visitor(BootloaderModule{module},
                                            std::make_unique<TavTest::RecordingTimeDelay>(waits_));
        ASSERT_EQ(TavTest::RunCatching(bench_, visitor), ProtocolFailure{});
    }

    TavTest::TempDir dir_;
    SimulatedProtocolReader bench_{Wire::FeatureReport};
    std::shared_ptr<TavTest::Timeline> waits_ = std::make_shared<TavTest::Timeline>();
};

TEST_F(FirmwareVisitorTest, TheBootloaderStartsThreeSecondsAfterItsCommand) {
    bench_.RecordOn(waits_);
    EnterBootloader(2);
    EXPECT_THAT(bench_.Sent(), testing::ElementsAre(Phrase({0xF0, 0x02})));
    // The reader's answer is read only once the bootloader has had its 3 s.
    EXPECT_THAT(waits_->Steps(), testing::ElementsAre("sent", "wait 3 s", "received"));
    EXPECT_TRUE(bench_.Reader().Model()->bootloaderMode);
    EXPECT_EQ(bench_.Reader().Model()->bootloaderModule, 2);

    SimulatedProtocolReader other(Wire::FeatureReport);
    EnableBootloaderModeVisitor refused(BootloaderModule{3});
    EXPECT_EQ(
        TavTest::RunCatching(other, refused),
        (ProtocolFailure{"Invalid bootloader module specified.", "EnableBootloaderModeVisitor", "ValidateArguments"}));
    EXPECT_TRUE(other.Sent().empty());
}

TEST_F(FirmwareVisitorTest, AFirmwareFileReachesTheBootloaderLineByLine) {
    const std::vector<Bytes> records = {Record(0x0000, {0xAA, 0xBB}), Record(0x0002, Bytes(16, 0x5C))};
    const std::string path = WriteFirmware(records);
    bench_.RecordOn(waits_);
    EnterBootloader();
    bench_.Reader().Model()->firmwareLines.clear();
    const std::size_t phrasesBefore = bench_.Sent().size();

    UpgradeFirmwareVisitor visitor(path, std::make_unique<TavTest::RecordingTimeDelay>(waits_));
    ASSERT_EQ(TavTest::RunCatching(bench_, visitor), ProtocolFailure{});
    const std::vector<Bytes> lines = bench_.Reader().Model()->firmwareLines;
    ASSERT_GE(lines.size(), 2U);
    EXPECT_EQ(std::vector<Bytes>(lines.begin(), lines.begin() + 2), records);
    EXPECT_EQ(bench_.Reader().Model()->bootloaderCopyMismatches, 0U);
    // Three phrases a line, each sent three times; after the records only empty phrases close the
    // file's end.
    const std::vector<Bytes> sent = bench_.Sent();
    const std::size_t sends = sent.size() - phrasesBefore;
    ASSERT_EQ(sends % 3, 0U);
    ASSERT_GE(sends, 2U * 3U * 3U);
    for (std::size_t i = phrasesBefore + 18; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i], Bytes{0x00});
    }
    // The 3 s start; then each phrase three times, the wait before its reply, the reply, and the
    // bootloader's short delay.
    std::vector<std::string> expected = {"sent", "wait 3 s", "received"};
    for (std::size_t phrase = 0; phrase < sends / 3; ++phrase) {
        expected.insert(expected.end(), {"sent", "sent", "sent", "wait 2 ms", "received", "wait 2 ms"});
    }
    EXPECT_EQ(waits_->Steps(), expected);
}

TEST_F(FirmwareVisitorTest, ABytestreamGoesOutSevenBytesAPhrase) {
    EnterBootloader();
    const std::size_t phrasesBefore = bench_.Sent().size();
    UpgradeFirmwareVisitor visitor(std::make_unique<std::istringstream>(std::string("\x01\x02\x03\x04\x05\x06\x07")),
                                   std::make_unique<TavTest::RecordingTimeDelay>(waits_));
    ASSERT_EQ(TavTest::RunCatching(bench_, visitor), ProtocolFailure{});
    const std::vector<Bytes> sent = bench_.Sent();
    ASSERT_GE(sent.size(), phrasesBefore + 9);
    for (std::size_t copy = 0; copy < 3; ++copy) {
        EXPECT_EQ(sent[phrasesBefore + copy], (Bytes{7, 1, 2, 3, 4, 5, 6, 7}));
    }
    ASSERT_FALSE(bench_.Reader().Model()->firmwareLines.empty());
    EXPECT_EQ(bench_.Reader().Model()->firmwareLines.front(), (Bytes{1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(FirmwareVisitorTest, WithoutAReadableFileOrAStreamNothingIsSent) {
    const std::string missing = (dir_.Path() / "missing.hex").string();
    const char* const neither = "UpgradeFirmware: Either a file name or byte stream must be provided.";
    struct Row {
        std::string name;
        std::unique_ptr<UpgradeFirmwareVisitor> visitor;
        std::string message;
    };
    Row rows[] = {
        {"missing file", std::make_unique<UpgradeFirmwareVisitor>(missing),
         "File " + missing + " does not exist or is not accessible."},
        {"empty path", std::make_unique<UpgradeFirmwareVisitor>(std::string()), neither},
        {"no stream", std::make_unique<UpgradeFirmwareVisitor>(std::unique_ptr<std::istream>()), neither},
    };
    for (Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimulatedProtocolReader device(Wire::FeatureReport);
        EXPECT_EQ(TavTest::RunCatching(device, *row.visitor),
                  (ProtocolFailure{row.message, "UpgradeFirmwareVisitor", "ValidateArguments"}));
        EXPECT_TRUE(device.Sent().empty());
    }
}

// A FIFO opens at once for the visitor's check and is then refused, instead of waiting for a writer.
TEST_F(FirmwareVisitorTest, AFifoIsRefusedWithoutWaitingForAWriter) {
    const std::string path = (dir_.Path() / "firmware.fifo").string();
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    UpgradeFirmwareVisitor visitor(path, std::make_unique<TavTest::RecordingTimeDelay>(waits_));
    EXPECT_EQ(TavTest::RunCatching(bench_, visitor).message, "Firmware file " + path + " is not a regular file");
    EXPECT_TRUE(bench_.Sent().empty());
}

// A failure halfway stops the upgrade where it is and leaves no file open.
TEST_F(FirmwareVisitorTest, ABootloaderRefusalStopsTheUpgradeAndClosesTheFile) {
    const std::string path =
        WriteFirmware({Record(0x0000, Bytes(16, 1)), Record(0x0010, Bytes(16, 2)), Record(0x0020, Bytes(16, 3))});
    EnterBootloader();
    {
        auto model = bench_.Reader().Model();
        model->firmwareLines.clear();
        model->bootloaderReplies[2] = {'2', '>', 0};  // the last phrase of the first line
    }
    const std::size_t descriptors = TavTest::OpenDescriptorCount();
    const std::size_t phrasesBefore = bench_.Sent().size();
    UpgradeFirmwareVisitor visitor(path, std::make_unique<TavTest::RecordingTimeDelay>(waits_));
    EXPECT_EQ(
        TavTest::RunCatching(bench_, visitor),
        (ProtocolFailure{"Bad hex line check byte", "UpgradeFirmwareWithFeatureReportProtocol", "HasCommandPhrase"}));
    EXPECT_EQ(bench_.Sent().size() - phrasesBefore, 3U * 3U) << "only the first line went out";
    EXPECT_EQ(TavTest::OpenDescriptorCount(), descriptors);
}

}  // namespace
