// The BLE blob read and write against the simulated reader's BLE sessions: the phrases of every
// phase, the waits, the retries of transient return codes, polling with its time-out and the read
// poll's storm recovery. Waits are recorded, never slept.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/ProtocolException.h"
#include "featureReport/GetBleBlobWithFeatureReportProtocol.h"
#include "featureReport/SetBleBlobWithFeatureReportProtocol.h"
#include "sim/FeatureReportFrontEnd.h"
#include "support/InProcessTransport.h"
#include "support/RecordingTimeDelay.h"

namespace {

using Bytes = std::vector<uint8_t>;
using TavCommon::BleDataType;
using TavSim::BlePhase;
using TavSim::Fault;
using TavSim::FaultTrigger;
using TavTest::RecordedWait;
using testing::ElementsAreArray;

Bytes Pattern(std::size_t size, uint8_t seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>(seed + i * 7);
    }
    return bytes;
}

// The phrases of the wire table, written out for the expectations.
Bytes ReadSetup(uint8_t block) { return {0x89, 0x10, 0, 0, 0x10, 0x01, 0, block}; }
Bytes ReadPoll(uint8_t block) { return {0x89, 0x10, 0, 0, 0x10, 0x01, 0, static_cast<uint8_t>(block | 0x80)}; }
Bytes ReadData(int index) { return {0x89, 0x10, 0, static_cast<uint8_t>(index), 0, 0, 0, 0}; }
Bytes WriteConfiguration(uint8_t length, uint8_t block) { return {0x89, 0x90, 0, 0, 0x11, 0x01, length, block}; }
Bytes StartStore(uint8_t block) { return {0x89, 0x90, 0, 0xFF, 0, 0, 0, block}; }
Bytes StorePoll(uint8_t block) { return {0x89, 0x90, 0, 0xFF, 0, 0, 0, static_cast<uint8_t>(block | 0x80)}; }

std::size_t CountOf(const std::vector<RecordedWait>& waits, RecordedWait wait) {
    return static_cast<std::size_t>(std::count(waits.begin(), waits.end(), wait));
}

class BleBlobTest : public testing::Test {
protected:
    BleBlobTest() { transport_.RecordOn(timeline_); }

    std::unique_ptr<TavCommon::TimeDelay> Delay() { return std::make_unique<TavTest::RecordingTimeDelay>(timeline_); }

    Bytes Read(BleDataType type, int maxPollAttempts = 100) {
        TavProtocol::GetBleBlobWithFeatureReportProtocol command(type, 10, maxPollAttempts, Delay());
        command.Execute(transport_);
        command.ValidateResponse();
        return command.GetResult();
    }

    void Write(BleDataType type, const Bytes& data, int maxPollAttempts = 100) {
        TavProtocol::SetBleBlobWithFeatureReportProtocol command(type, data, 10, maxPollAttempts, Delay());
        command.Execute(transport_);
        command.ValidateResponse();
    }

    void Script(BlePhase phase, std::deque<uint8_t> codes) { reader_.Model()->bleReturnCodes[phase] = codes; }

    std::size_t CountSent(const Bytes& phrase) const {
        const auto sent = frontEnd_.ReceivedBytes();
        return static_cast<std::size_t>(std::count(sent.begin(), sent.end(), phrase));
    }

    static void ExpectFailure(const std::function<void()>& run, const std::string& message, const char* function) {
        try {
            run();
            ADD_FAILURE() << "no failure, expected: " << message;
        } catch (const TavProtocol::ProtocolException& error) {
            EXPECT_EQ(error.Message(), message);
            EXPECT_EQ(error.Function(), function) << message;
        }
    }

    TavSim::SimulatedReader reader_;
    TavSim::FeatureReportFrontEnd frontEnd_{reader_};
    TavTest::InProcessTransport transport_{frontEnd_};
    // The waits, and the phrases sent and received around them.
    std::shared_ptr<TavTest::Timeline> timeline_ = std::make_shared<TavTest::Timeline>();
};

TEST_F(BleBlobTest, ReadsEachDataTypeBlockByBlock) {
    struct Case {
        BleDataType type;
        std::vector<uint8_t> blocks;
        uint8_t storedAs;
    };
    for (const auto& test : std::vector<Case>{{BleDataType::Data, {0, 1, 2}, 1},
                                              {BleDataType::Key, {0x10}, 2},
                                              {static_cast<BleDataType>(0), {0x10}, 2},
                                              {static_cast<BleDataType>(9), {0x10}, 2}}) {
        const Bytes stored = Pattern(test.blocks.size() * 128, static_cast<uint8_t>(test.blocks.front()));
        reader_.Model()->bleData[test.storedAs] = stored;
        frontEnd_.ClearReceived();
        timeline_->Clear();

        EXPECT_EQ(Read(test.type), stored);

        std::vector<Bytes> expected;
        std::vector<RecordedWait> expectedWaits;
        std::vector<std::string> expectedSteps;
        for (const uint8_t block : test.blocks) {
            // Every reply is read only after the 10 ms that follow its phrase.
            for (int exchange = 0; exchange < 34; ++exchange) {
                expectedSteps.insert(expectedSteps.end(), {"sent", "wait 10 ms", "received"});
                if (exchange == 0) {
                    expectedSteps.push_back("wait 30 ms");
                }
            }
            expected.push_back(ReadSetup(block));
            expected.push_back(ReadPoll(block));
            for (int index = 1; index <= 32; ++index) {
                expected.push_back(ReadData(index));
            }
            // 10 ms after every transmit, 30 ms after the setup.
            expectedWaits.push_back(RecordedWait::Milliseconds(10));
            expectedWaits.push_back(RecordedWait::Milliseconds(30));
            expectedWaits.insert(expectedWaits.end(), 33, RecordedWait::Milliseconds(10));
        }
        EXPECT_THAT(frontEnd_.ReceivedBytes(), ElementsAreArray(expected));
        EXPECT_THAT(timeline_->Waits(), ElementsAreArray(expectedWaits));
        EXPECT_THAT(timeline_->Steps(), ElementsAreArray(expectedSteps));
    }
}

TEST_F(BleBlobTest, WritesEachDataTypeBlockByBlock) {
    struct Case {
        BleDataType type;
        std::size_t size;
        std::vector<uint8_t> blocks;
        uint8_t storedAs;
    };
    for (const auto& test : std::vector<Case>{{BleDataType::Data, 384, {0, 1, 2}, 1},
                                              {BleDataType::Key, 128, {0x10}, 2},
                                              {BleDataType::UnencryptedKey, 16, {4}, 3},
                                              {static_cast<BleDataType>(0), 128, {0x10}, 2}}) {
        const Bytes data = Pattern(test.size, 0x30);
        frontEnd_.ClearReceived();
        timeline_->Clear();

        Write(test.type, data);

        EXPECT_EQ(reader_.Model()->bleData[test.storedAs], data);
        const std::size_t blockBytes = test.size / test.blocks.size();
        std::vector<Bytes> expected;
        std::vector<RecordedWait> expectedWaits;
        for (std::size_t k = 0; k < test.blocks.size(); ++k) {
            const uint8_t block = test.blocks[k];
            expected.push_back(WriteConfiguration(static_cast<uint8_t>(blockBytes), block));
            for (std::size_t index = 1; index <= blockBytes / 4; ++index) {
                const std::size_t offset = k * blockBytes + (index - 1) * 4;
                expected.push_back({0x89, 0x90, 0, static_cast<uint8_t>(index), data[offset], data[offset + 1],
                                    data[offset + 2], data[offset + 3]});
            }
            expected.push_back(StartStore(block));
            expected.push_back(StorePoll(block));
            expectedWaits.insert(expectedWaits.end(), blockBytes / 4 + 2, RecordedWait::Milliseconds(10));
            expectedWaits.push_back(RecordedWait::Milliseconds(100));  // after start store
            expectedWaits.push_back(RecordedWait::Milliseconds(10));
            expectedWaits.push_back(RecordedWait::Milliseconds(100));  // after the block
        }
        EXPECT_THAT(frontEnd_.ReceivedBytes(), ElementsAreArray(expected));
        EXPECT_THAT(timeline_->Waits(), ElementsAreArray(expectedWaits));
    }
}

TEST_F(BleBlobTest, ArgumentsAreRefusedBeforeAnyExchange) {
    ExpectFailure([&] { Read(BleDataType::UnencryptedKey); },
                  "GetBleBlob does not support UnencryptedKey; Section 4 of the protocol is write-only",
                  "GetBleBlobWithFeatureReportProtocol");
    struct Case {
        BleDataType type;
        std::size_t size;
        const char* message;
    };
    for (const auto& test : std::vector<Case>{
             {BleDataType::Data, 383, "Data size must be 384 bytes for the specified BLE data type"},
             {BleDataType::UnencryptedKey, 128, "Data size must be 16 bytes for the specified BLE data type"},
             {BleDataType::Key, 16, "Data size must be 128 bytes for the specified BLE data type"},
             {static_cast<BleDataType>(0), 384, "Data size must be 128 bytes for the specified BLE data type"}}) {
        ExpectFailure([&] { Write(test.type, Bytes(test.size)); }, test.message, "SetBleBlobWithFeatureReportProtocol");
    }
    EXPECT_TRUE(frontEnd_.ReceivedBytes().empty());
}

// Each phase retries a transient return code three times, 25 ms apart, then gives up.
TEST_F(BleBlobTest, TransientCodesAreRetriedThreeTimes) {
    struct Case {
        BlePhase phase;
        bool write;
        Bytes phrase;
        const char* label;
    };
    const Bytes firstPiece{0x89, 0x90, 0, 1, 0x30, 0x37, 0x3E, 0x45};
    for (const auto& test : std::vector<Case>{
             {BlePhase::ReadSetup, false, ReadSetup(0x10), "GetBleBlob read setup"},
             {BlePhase::ReadData, false, ReadData(1), "GetBleBlob read data index 1"},
             {BlePhase::WriteConfiguration, true, WriteConfiguration(128, 0x10), "SetBleBlob write config params"},
             {BlePhase::WriteData, true, firstPiece, "SetBleBlob write data index 1"},
             {BlePhase::StartStore, true, StartStore(0x10), "SetBleBlob start store"}}) {
        const auto run = [&] {
            if (test.write) {
                Write(BleDataType::Key, Pattern(128, 0x30));
            } else {
                Read(BleDataType::Key);
            }
        };
        // Busy (11) outside a read poll is as transient as any other code.
        Script(test.phase, {1, 11, 0x7F});
        frontEnd_.ClearReceived();
        timeline_->Clear();
        EXPECT_NO_THROW(run()) << test.label;
        EXPECT_EQ(CountSent(test.phrase), 4u) << test.label;
        EXPECT_EQ(CountOf(timeline_->Waits(), RecordedWait::Milliseconds(25)), 3u) << test.label;

        Script(test.phase, {1, 1, 1, 1});
        frontEnd_.ClearReceived();
        ExpectFailure(run,
                      std::string("Transient error persisted after 3 retries during ") + test.label +
                          ". The reader may not have a BLE module installed.",
                      "SendWithRetry");
        EXPECT_EQ(CountSent(test.phrase), 4u) << test.label;
        Script(test.phase, {});
    }
}

TEST_F(BleBlobTest, FatalCodesFailAtOnce) {
    const std::vector<std::pair<uint8_t, std::string>> cases{{4, "Previous operation interrupted during "},
                                                             {5, "I/O error during "},
                                                             {12, "Out of memory during "},
                                                             {22, "Invalid argument during "}};
    for (const auto& [code, text] : cases) {
        Script(BlePhase::ReadSetup, {code});
        frontEnd_.ClearReceived();
        ExpectFailure([&] { Read(BleDataType::Data); }, text + "GetBleBlob read setup", "CheckResponseCode");
        EXPECT_EQ(frontEnd_.ReceivedBytes().size(), 1u);

        Script(BlePhase::StorePoll, {code});
        ExpectFailure([&] { Write(BleDataType::UnencryptedKey, Bytes(16)); }, text + "SetBleBlob store poll",
                      "CheckResponseCode");
    }
}

TEST_F(BleBlobTest, ReadPollWaitsOutABusyReaderUntilItsAttemptsRunOut) {
    Script(BlePhase::ReadPoll, std::deque<uint8_t>(99, 11));
    EXPECT_NO_THROW(Read(BleDataType::Key));
    EXPECT_EQ(CountSent(ReadPoll(0x10)), 100u);
    EXPECT_EQ(CountSent(ReadSetup(0x10)), 1u);

    Script(BlePhase::ReadPoll, std::deque<uint8_t>(100, 11));
    frontEnd_.ClearReceived();
    ExpectFailure([&] { Read(BleDataType::Key); },
                  "Polling timed out after 100 attempts during GetBleBlob read poll. The reader may not have a BLE "
                  "module installed.",
                  "PollUntilReady");
    EXPECT_EQ(CountSent(ReadPoll(0x10)), 100u);
    EXPECT_EQ(CountSent(ReadSetup(0x10)), 1u);
}

TEST_F(BleBlobTest, TenNonBusyPollFailuresInARowSetTheBlockUpAgain) {
    // A busy reply in between resets the count: no storm.
    std::deque<uint8_t> interrupted(9, 1);
    interrupted.push_back(11);
    interrupted.insert(interrupted.end(), 9, 1);
    Script(BlePhase::ReadPoll, interrupted);
    EXPECT_NO_THROW(Read(BleDataType::Key));
    EXPECT_EQ(CountSent(ReadSetup(0x10)), 1u);

    Script(BlePhase::ReadPoll, std::deque<uint8_t>(10, 1));
    frontEnd_.ClearReceived();
    timeline_->Clear();
    EXPECT_NO_THROW(Read(BleDataType::Key));
    EXPECT_EQ(CountSent(ReadSetup(0x10)), 2u);
    EXPECT_EQ(CountSent(ReadPoll(0x10)), 11u);
    // 30 ms after the storm, and 30 ms after each of the two setups.
    EXPECT_EQ(CountOf(timeline_->Waits(), RecordedWait::Milliseconds(30)), 3u);

    Script(BlePhase::ReadPoll, std::deque<uint8_t>(40, 1));
    frontEnd_.ClearReceived();
    ExpectFailure([&] { Read(BleDataType::Key); },
                  "GetBleBlob read poll: poll storm persisted after 3 setup retries. The reader may not have a BLE "
                  "module installed.",
                  "ReadBlock");
    EXPECT_EQ(CountSent(ReadSetup(0x10)), 4u);
}

TEST_F(BleBlobTest, StorePollKnowsNoStorm) {
    Script(BlePhase::StorePoll, std::deque<uint8_t>(10, 1));
    EXPECT_NO_THROW(Write(BleDataType::Key, Pattern(128, 1)));
    EXPECT_EQ(CountSent(StartStore(0x10)), 1u);
    EXPECT_EQ(CountSent(StorePoll(0x10)), 11u);

    Script(BlePhase::StorePoll, std::deque<uint8_t>(5, 1));
    ExpectFailure([&] { Write(BleDataType::Key, Pattern(128, 1), 5); },
                  "Polling timed out after 5 attempts during SetBleBlob store poll. The reader may not have a BLE "
                  "module installed.",
                  "PollUntilReady");
}

TEST_F(BleBlobTest, NoPollAttemptsTimesOutRightAfterTheSetup) {
    ExpectFailure([&] { Read(BleDataType::Key, 0); },
                  "Polling timed out after 0 attempts during GetBleBlob read poll. The reader may not have a BLE "
                  "module installed.",
                  "PollUntilReady");
    EXPECT_THAT(frontEnd_.ReceivedBytes(), ElementsAreArray({ReadSetup(0x10)}));
}

TEST_F(BleBlobTest, MalformedRepliesFailWithTheirPhase) {
    frontEnd_.InjectFault(FaultTrigger::OnPhrase(0), Fault::NoReply(), 1);
    ExpectFailure([&] { Read(BleDataType::Key); }, "Response too short during GetBleBlob read setup",
                  "CheckResponseCode");

    // Command, opcode and return code are all a reply needs to pass the check.
    frontEnd_.ClearReceived();
    frontEnd_.InjectFault(FaultTrigger::OnPhrase(0), Fault::ShortReply(2), 1);
    ExpectFailure([&] { Read(BleDataType::Key); }, "Response too short during GetBleBlob read setup",
                  "CheckResponseCode");
    frontEnd_.ClearReceived();
    frontEnd_.InjectFault(FaultTrigger::OnPhrase(0), Fault::ShortReply(3), 1);
    EXPECT_NO_THROW(Read(BleDataType::Key));

    frontEnd_.ClearReceived();
    frontEnd_.InjectFault(FaultTrigger::OnPhrase(0), Fault::CorruptByte(1, 0x11), 1);
    ExpectFailure([&] { Read(BleDataType::Key); },
                  "Invalid response during GetBleBlob read setup: expected command 0x89 and opcode 0x10 but got 0x89 "
                  "0x11. The reader may not support this command.",
                  "CheckResponseCode");

    frontEnd_.ClearReceived();
    frontEnd_.InjectFault(FaultTrigger::OnPhrase(0), Fault::CorruptByte(0, 0x88), 1);
    ExpectFailure([&] { Write(BleDataType::Key, Bytes(128)); },
                  "Invalid response during SetBleBlob write config params: expected command 0x89 and opcode 0x90 but "
                  "got 0x88 0x90. The reader may not support this command.",
                  "CheckResponseCode");

    // A data reply that passes the code check but is too short for its four bytes, in block 1 of 3.
    frontEnd_.ClearReceived();
    frontEnd_.InjectFault(FaultTrigger::OnPhrase(34 + 2), Fault::ShortReply(7), 1);
    TavProtocol::GetBleBlobWithFeatureReportProtocol command(BleDataType::Data, 10, 100, Delay());
    ExpectFailure([&] { command.Execute(transport_); }, "Response too short during GetBleBlob read data index 1",
                  "ReadBlock");
    ExpectFailure([&] { command.ValidateResponse(); }, "GetBleBlob expected 384 bytes but got 128", "ValidateResponse");
}

TEST_F(BleBlobTest, PhraseOperationsRefuseToBeCalledDirectly) {
    TavProtocol::GetBleBlobWithFeatureReportProtocol read(BleDataType::Key, 10, 100, Delay());
    TavProtocol::SetBleBlobWithFeatureReportProtocol write(BleDataType::Key, Bytes(128), 10, 100, Delay());
    // No structured binding: clang 14 cannot capture one in a lambda.
    for (const auto& row :
         std::vector<std::pair<TavProtocol::Command*, std::string>>{{&read, "GetBleBlob"}, {&write, "SetBleBlob"}}) {
        TavProtocol::Command* const command = row.first;
        const std::string prefix = row.second + " uses Execute() override; ";
        ExpectFailure([&] { command->HasCommandPhrase(); }, prefix + "HasCommandPhrase() should not be called directly",
                      "HasCommandPhrase");
        ExpectFailure([&] { command->NextCommandPhrase(); },
                      prefix + "NextCommandPhrase() should not be called directly", "NextCommandPhrase");
        ExpectFailure([&] { command->AddResponsePhrase({}); },
                      prefix + "AddResponsePhrase() should not be called directly", "AddResponsePhrase");
        ExpectFailure([&] { command->ExpectsResponsePhrase(); },
                      prefix + "ExpectsResponsePhrase() should not be called directly", "ExpectsResponsePhrase");
    }
}

}  // namespace
