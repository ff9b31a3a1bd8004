// The firmware upgrade against the simulated bootloader: every record line of the file goes out
// as three phrases, each sent three times; the bootloader reassembles the lines, answers with its
// return codes and asks for its delays. A bad file never starts an upgrade. Waits are recorded.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "Tavelin/ElvarinException.h"
#include "core/ProtocolException.h"
#include "featureReport/BootloaderResponse.h"
#include "featureReport/UpgradeFirmwareWithFeatureReportProtocol.h"
#include "sim/FeatureReportFrontEnd.h"
#include "support/InProcessTransport.h"
#include "support/RecordingTimeDelay.h"
#include "support/TempDir.h"

namespace {

using Bytes = std::vector<uint8_t>;
using TavSim::Fault;
using TavSim::FaultTrigger;
using TavTest::RecordedWait;
using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::HasSubstr;

// A data record of the firmware file: count, address, type 0, the data and the check byte.
Bytes Record(uint16_t address, const Bytes& data) {
    Bytes record;
    record.reserve(data.size() + 5);
    record.push_back(static_cast<uint8_t>(data.size()));
    record.push_back(static_cast<uint8_t>(address >> 8));
    record.push_back(static_cast<uint8_t>(address));
    record.push_back(0x00);
    for (const uint8_t byte : data) {
        record.push_back(byte);
    }
    uint8_t sum = 0;
    for (const uint8_t byte : record) {
        sum = static_cast<uint8_t>(sum + byte);
    }
    record.push_back(static_cast<uint8_t>(-sum));
    return record;
}

std::string Hex(const Bytes& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    for (const uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text;
}

Bytes Numbers(std::size_t count, uint8_t first) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>(first + i);
    }
    return bytes;
}

const std::vector<Bytes> kRecords{Record(0x0000, Numbers(16, 0x10)), Record(0x0010, {0xAB}),
                                  Record(0x0011, Numbers(7, 0x70))};

std::string FirmwareText(const std::vector<Bytes>& records, const std::string& typeLine, const std::string& lineEnd,
                         bool finalLineEnd) {
    std::string text = typeLine.empty() ? "" : typeLine + lineEnd;
    for (std::size_t i = 0; i < records.size(); ++i) {
        text += ":" + Hex(records[i]);
        if (i + 1 < records.size() || finalLineEnd) {
            text += lineEnd;
        }
    }
    return text;
}

// A simulated reader already in its bootloader.
struct BootloaderRig {
    BootloaderRig() {
        TavTransport::TransportPayload payload{{0xF0, 0x00, 0, 0, 0, 0, 0, 0}, 8, TavTransport::ReportType::Feature};
        transport.transmit(payload);
        transport.receive(payload);
        frontEnd.ClearReceived();
    }

    TavSim::SimulatedReader reader;
    TavSim::FeatureReportFrontEnd frontEnd{reader};
    TavTest::InProcessTransport transport{frontEnd};
};

class UpgradeFirmwareTest : public testing::Test {
protected:
    UpgradeFirmwareTest() { rig_->transport.RecordOn(timeline_); }

    // A reader that has seen nothing of the firmware yet, and a fresh record of waits and phrases.
    void Restart() {
        rig_ = std::make_unique<BootloaderRig>();
        timeline_ = std::make_shared<TavTest::Timeline>();
        rig_->transport.RecordOn(timeline_);
    }

    std::string WriteFile(const std::string& text) {
        const auto path = (dir_.Path() / "firmware.hex").string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    std::unique_ptr<TavProtocol::UpgradeFirmwareWithFeatureReportProtocol> FromFile(const std::string& path) {
        return std::make_unique<TavProtocol::UpgradeFirmwareWithFeatureReportProtocol>(
            path, nullptr, std::make_unique<TavTest::RecordingTimeDelay>(timeline_));
    }

    void Upgrade(const std::string& text) { FromFile(WriteFile(text))->Execute(rig_->transport); }

    // The phrases that arrived, each copy checked against the first and taken once.
    std::vector<Bytes> PhrasesSent() const {
        const auto received = rig_->frontEnd.ReceivedBytes();
        EXPECT_EQ(received.size() % 3, 0u);
        std::vector<Bytes> phrases;
        for (std::size_t i = 0; i + 2 < received.size(); i += 3) {
            EXPECT_EQ(received[i + 1], received[i]);
            EXPECT_EQ(received[i + 2], received[i]);
            phrases.push_back(received[i]);
        }
        return phrases;
    }

    template <typename Error>
    static Error Failure(const std::function<void()>& run) {
        try {
            run();
        } catch (const Error& error) {
            return error;
        }
        ADD_FAILURE() << "nothing thrown";
        throw std::logic_error("nothing thrown");
    }

    std::unique_ptr<BootloaderRig> rig_ = std::make_unique<BootloaderRig>();
    std::shared_ptr<TavTest::Timeline> timeline_ = std::make_shared<TavTest::Timeline>();
    TavTest::TempDir dir_;
};

TEST_F(UpgradeFirmwareTest, EveryRecordArrivesWholeWhateverTheFileLayout) {
    struct Layout {
        std::string typeLine;
        std::string lineEnd;
        bool finalLineEnd;
    };
    for (const auto& layout : std::vector<Layout>{{"", "\n", true},
                                                  {"", "\n", false},
                                                  {"M1", "\n", true},
                                                  {"M2", "\r\n", true},
                                                  {"", "\r\n", false},
                                                  {"M0", "\r\n", false}}) {
        const std::string text = FirmwareText(kRecords, layout.typeLine, layout.lineEnd, layout.finalLineEnd);
        SCOPED_TRACE(text);
        Restart();

        Upgrade(text);

        // The reading stops on the read after the one that found no further line: after a final
        // line end that is one empty line and one more empty phrase, without it one empty phrase.
        std::vector<Bytes> lines = kRecords;
        if (layout.finalLineEnd) {
            lines.push_back({});
        }
        const auto model = rig_->reader.Model();
        EXPECT_EQ(model->firmwareLines, lines);
        EXPECT_EQ(model->bootloaderCopyMismatches, 0u);
        const std::size_t phrases = 3 * kRecords.size() + (layout.finalLineEnd ? 4 : 1);
        EXPECT_EQ(model->bootloaderPhrases, phrases);
        // Each phrase three times, 2 ms, its reply, then the 2 ms the bootloader's '>' asks for.
        std::vector<std::string> steps;
        for (std::size_t phrase = 0; phrase < phrases; ++phrase) {
            steps.insert(steps.end(), {"sent", "sent", "sent", "wait 2 ms", "received", "wait 2 ms"});
        }
        EXPECT_EQ(timeline_->Steps(), steps);
    }
}

TEST_F(UpgradeFirmwareTest, LinesAreCutIntoChunksOfSevenBehindACount) {
    Upgrade(FirmwareText({Numbers(21, 0x01), Numbers(5, 0x40)}, "", "\n", false));
    EXPECT_THAT(PhrasesSent(), ElementsAre(Bytes{7, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07},
                                           Bytes{7, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E},
                                           Bytes{7, 0x0F, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15},
                                           Bytes{5, 0x40, 0x41, 0x42, 0x43, 0x44}, Bytes{0}, Bytes{0}, Bytes{0}));
}

TEST_F(UpgradeFirmwareTest, MalformedFileNeverStartsAnUpgrade) {
    const std::string good = ":" + Hex(kRecords[0]);
    for (const std::string bad : {"1G", "-1", " F", "+F", "123", ":1", "0x12", "12 34"}) {
        const auto error = Failure<std::invalid_argument>([&] { Upgrade(good + "\n" + bad + "\n" + good + "\n"); });
        EXPECT_THAT(error.what(), HasSubstr("Firmware file line 2 ")) << bad;
    }

    const auto tooLong =
        Failure<TavProtocol::ProtocolException>([&] { Upgrade(good + "\n:" + Hex(Record(0, Numbers(17, 0))) + "\n"); });
    EXPECT_EQ(tooLong.Message(), "Firmware file line 2 holds 22 bytes; at most 21 fit the three phrases of a line");
    EXPECT_EQ(tooLong.File(), "UpgradeFirmwareWithFeatureReportProtocol");
    EXPECT_EQ(tooLong.Function(), "GetNextLineFromFile");

    const auto badType = Failure<ElvarinException>([&] { Upgrade("M3\n" + good + "\n"); });
    EXPECT_EQ(badType.Message(), "Invalid firmware file type: M3");

    const auto missing = Failure<TavProtocol::ProtocolException>(
        [&] { FromFile((dir_.Path() / "missing.hex").string())->Execute(rig_->transport); });
    EXPECT_EQ(missing.Message(), "Failed to open file for reading");
    EXPECT_EQ(missing.File(), "UpgradeFirmwareWithFeatureReportProtocol");
    EXPECT_EQ(missing.Function(), "GetNextLineFromFile");

    const auto fifo = dir_.Path() / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto notRegular = Failure<ElvarinException>([&] { FromFile(fifo.string())->Execute(rig_->transport); });
    EXPECT_THAT(notRegular.Message(), HasSubstr("is not a regular file"));

    EXPECT_TRUE(rig_->frontEnd.ReceivedBytes().empty());
    EXPECT_TRUE(rig_->reader.Model()->firmwareLines.empty());
}

TEST_F(UpgradeFirmwareTest, ErrorReturnCodesStopTheUpgradeBeforeTheNextPhrase) {
    const std::string text = FirmwareText(kRecords, "", "\n", true);
    for (const auto& [code, message] : std::vector<std::pair<uint8_t, std::string>>{
             {'2', "Bad hex line check byte"}, {'4', "Bad hex line segment record"}}) {
        Restart();
        rig_->reader.Model()->bootloaderReplies = {{1, {.returnCode = code}}};
        const auto error = Failure<TavProtocol::ProtocolException>([&] { Upgrade(text); });
        EXPECT_EQ(error.Message(), message);
        EXPECT_EQ(error.Function(), "HasCommandPhrase");
        EXPECT_EQ(rig_->frontEnd.ReceivedBytes().size(), 2u * 3);
    }
}

TEST_F(UpgradeFirmwareTest, BootloaderThatChecksRecordsRefusesABadCheckByte) {
    Bytes corrupted = kRecords[1];
    ++corrupted.back();
    rig_->reader.Model()->bootloaderChecksRecords = true;
    const auto error = Failure<TavProtocol::ProtocolException>([&] {
        Upgrade(FirmwareText({kRecords[0], corrupted, kRecords[2]}, "", "\n", true));
    });
    EXPECT_EQ(error.Message(), "Bad hex line check byte");
    EXPECT_EQ(rig_->reader.Model()->firmwareLines.size(), 2u);
    EXPECT_EQ(PhrasesSent().size(), 6u);
}

TEST_F(UpgradeFirmwareTest, AfterReturnCodeEThePhrasesGoOnWithoutReplies) {
    rig_->reader.Model()->bootloaderReplies = {{0, {.returnCode = 'E'}}};
    Upgrade(FirmwareText(kRecords, "", "\n", true));
    EXPECT_EQ(rig_->reader.Model()->firmwareLines.size(), kRecords.size() + 1);
    EXPECT_EQ(PhrasesSent().size(), 3 * kRecords.size() + 4);
    // Only the first reply was read and waited for.
    EXPECT_THAT(timeline_->Waits(), ElementsAre(RecordedWait::Milliseconds(2), RecordedWait::Milliseconds(2)));
}

TEST_F(UpgradeFirmwareTest, TheBootloaderSetsThePace) {
    struct Case {
        TavSim::BootloaderReply reply;
        int wait;
    };
    for (const auto& test : std::vector<Case>{{{.delayClass = '>'}, 2},
                                              {{.delayClass = ';'}, 80},
                                              {{.delayClass = 0}, 80},
                                              {{.delayClass = 'W', .delayMilliseconds = 500}, 500}}) {
        Restart();
        rig_->reader.Model()->bootloaderReplies = {{0, test.reply}};
        Upgrade(FirmwareText({kRecords[1]}, "", "\n", false));
        const auto waits = timeline_->Waits();
        ASSERT_GE(waits.size(), 2u);
        EXPECT_EQ(waits[1], RecordedWait::Milliseconds(test.wait)) << test.reply.delayClass;
    }
}

TEST_F(UpgradeFirmwareTest, MalformedBootloaderRepliesFail) {
    struct Case {
        Fault fault;
        const char* message;
    };
    for (const auto& test :
         std::vector<Case>{{Fault::ShortReply(7), "Bootloader response must be 8 bytes long. Got 7"},
                           {Fault::NoReply(), "Bootloader response must be 8 bytes long. Got 0"},
                           {Fault::CorruptByte(0, 0x02), "Bootloader response must start with 0x01. Got 2"},
                           {Fault::CorruptByte(1, 'X'), "Invalid return code 88"},
                           {Fault::CorruptByte(2, 'A'), "Invalid delay class when parsing bootloader response '65'"}}) {
        Restart();
        // The third copy of the first phrase is the one answered.
        rig_->frontEnd.InjectFault(FaultTrigger::OnPhrase(2), test.fault, 1);
        const auto error =
            Failure<TavProtocol::ProtocolException>([&] { Upgrade(FirmwareText(kRecords, "", "\n", true)); });
        EXPECT_EQ(error.Message(), test.message);
        EXPECT_EQ(error.File(), "BootloaderResponse");
        EXPECT_EQ(error.Function(), "BootloaderResponse");
        EXPECT_EQ(rig_->frontEnd.ReceivedBytes().size(), 3u);
    }
    // One byte too many, which only a transport other than USB could hand back.
    const auto longer = Failure<TavProtocol::ProtocolException>([] {
        TavProtocol::BootloaderResponse(Bytes{0x01, '.', '>', 0, 0, 0, 0, 0, 0});
    });
    EXPECT_EQ(longer.Message(), "Bootloader response must be 8 bytes long. Got 9");
}

TEST_F(UpgradeFirmwareTest, StreamInputSendsSevenRawBytesALine) {
    std::istringstream input(std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A", 10));
    TavProtocol::UpgradeFirmwareWithFeatureReportProtocol command(&input,
                                                                  std::make_unique<TavTest::RecordingTimeDelay>());
    command.Execute(rig_->transport);
    // The input is at its end after the last byte was read: the rest of that line is not sent.
    EXPECT_THAT(PhrasesSent(), ElementsAre(Bytes{7, 1, 2, 3, 4, 5, 6, 7}, Bytes{0}, Bytes{0}, Bytes{3, 8, 9, 10}));
}

TEST_F(UpgradeFirmwareTest, MissingOrFailedStreamIsRefusedBeforeAnyPhrase) {
    TavProtocol::UpgradeFirmwareWithFeatureReportProtocol none(nullptr, nullptr);
    const auto error = Failure<TavProtocol::ProtocolException>([&] { none.Execute(rig_->transport); });
    EXPECT_EQ(error.Message(), "UpgradeFirmware: the input source is a stream, but no input stream was provided");

    std::istringstream failed("\x01\x02");
    failed.setstate(std::ios::failbit);
    TavProtocol::UpgradeFirmwareWithFeatureReportProtocol broken(&failed,
                                                                 std::make_unique<TavTest::RecordingTimeDelay>());
    const auto brokenError = Failure<TavProtocol::ProtocolException>([&] { broken.Execute(rig_->transport); });
    EXPECT_EQ(brokenError.Message(), "UpgradeFirmware: reading the firmware input stream failed");
    EXPECT_TRUE(rig_->frontEnd.ReceivedBytes().empty());
}

TEST_F(UpgradeFirmwareTest, SecondRunStartsFromTheFirstLine) {
    auto command = FromFile(WriteFile(FirmwareText(kRecords, "M1", "\n", false)));
    command->Execute(rig_->transport);
    const auto first = PhrasesSent();
    rig_->frontEnd.ClearReceived();
    command->Execute(rig_->transport);
    EXPECT_EQ(PhrasesSent(), first);
    EXPECT_EQ(first.size(), 3 * kRecords.size() + 1);
}

}  // namespace
