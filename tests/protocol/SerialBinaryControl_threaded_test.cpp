// Device control against the simulated reader on a pseudo-terminal.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "serialBinary/BeepWithSerialBinaryProtocol.h"
#include "serialBinary/CopyConfigurationWithSerialBinaryProtocol.h"
#include "serialBinary/GetActiveConfigurationWithSerialBinaryProtocol.h"
#include "serialBinary/GetBeeperVolumeWithSerialBinaryProtocol.h"
#include "serialBinary/GetLuidWithSerialBinaryProtocol.h"
#include "serialBinary/LoadStoredDefaultsWithSerialBinaryProtocol.h"
#include "serialBinary/SetActiveConfigurationWithSerialBinaryProtocol.h"
#include "serialBinary/SetBaudRateWithSerialBinaryProtocol.h"
#include "serialBinary/SetBeeperVolumeWithSerialBinaryProtocol.h"
#include "serialBinary/SetLuidWithSerialBinaryProtocol.h"
#include "serialBinary/WriteConfigurationWithSerialBinaryProtocol.h"
#include "support/RecordingTimeDelay.h"
#include "support/ScriptedTransport.h"
#include "support/SerialLineFixture.h"

namespace {

using namespace TavProtocol;
using TavSim::Fault;
using TavTest::CatchProtocolFailure;
using TavTest::ProtocolFailure;
using Bytes = std::vector<uint8_t>;
using Frames = std::vector<Bytes>;

class SerialBinaryControlTest : public TavTest::SerialLineFixture {
protected:
    template <typename Command>
    ProtocolFailure Failure(Command&& command) {
        return CatchProtocolFailure([&] { Run(command); });
    }
};

TEST_F(SerialBinaryControlTest, WritesReachTheReaderAsFramed) {
    BeepWithSerialBinaryProtocol shortBeeps(3, BEEP_DURATION::Short);
    BeepWithSerialBinaryProtocol longBeeps(2, BEEP_DURATION::Long);
    SetBeeperVolumeWithSerialBinaryProtocol volume(BeepVolume{2});
    SetBaudRateWithSerialBinaryProtocol baud(SerialReaderBaudRate{4});
    SetActiveConfigurationWithSerialBinaryProtocol active(2);
    WriteConfigurationWithSerialBinaryProtocol storeWithLuid(1);
    WriteConfigurationWithSerialBinaryProtocol store(0);
    LoadStoredDefaultsWithSerialBinaryProtocol defaults;
    Run(shortBeeps);
    Run(longBeeps);
    Run(volume);
    Run(baud);
    Run(active);
    Run(storeWithLuid);
    Run(store);
    Run(defaults);
    EXPECT_EQ(Wire(), (Frames{{0xFA, 0x0C, 0x03, 0x03, 0x00},
                              {0xFA, 0x0C, 0x03, 0x82, 0x00},
                              {0xFA, 0x0C, 0x86, 0x02, 0x00, 0x00},
                              {0xFA, 0x0D, 0x81, 0x04, 0x00},
                              {0xFA, 0x09, 0x81, 0x02, 0x00},
                              {0xFA, 0x02, 0x80, 0x00, 0x00},
                              {0xFA, 0x02, 0x00, 0x00, 0x00},
                              {0xFA, 0x03, 0x00, 0x00, 0x00}}));
    auto model = reader_.Model();
    EXPECT_EQ(model->beeps, (Bytes{0x03, 0x82}));
    EXPECT_EQ(model->beeperVolume, 2);
    EXPECT_EQ(model->baudRateCode, 4);
    EXPECT_EQ(model->activeConfiguration, 2);
    EXPECT_EQ(model->configurationWrites, 2u);
    EXPECT_EQ(model->storedDefaultsLoads, 1u);
}

TEST_F(SerialBinaryControlTest, ReadsDecodeTheirReplies) {
    {
        auto model = reader_.Model();
        model->beeperVolume = 3;
        model->activeConfiguration = 1;
        model->configurationCount = 4;
        model->activeConfigurationWord = 0x0102;
        model->activeConfigurationLastByte = 3;
        model->luid = 0x1234;
    }
    GetBeeperVolumeWithSerialBinaryProtocol volume;
    Run(volume);
    EXPECT_EQ(volume.GetResult(), BeepVolume{3});
    GetActiveConfigurationWithSerialBinaryProtocol active;
    Run(active);
    const ActiveConfigurationInformation information = active.GetResult();
    EXPECT_EQ(information.FirstValue, 1);
    EXPECT_EQ(information.ConfigurationCount, 4);
    EXPECT_EQ(uint16_t{information.WordValue}, 0x0102);  // sent high byte first
    EXPECT_EQ(information.LastValue, 3);
    GetLuidWithSerialBinaryProtocol luid;
    Run(luid);
    EXPECT_EQ(luid.GetResult(), (LuidResponseInformation{0x1234, 0x1234}));
    EXPECT_EQ(Wire(), (Frames{{0xFA, 0x0C, 0x06, 0, 0}, {0xFA, 0x09, 0x01, 0, 0}, {0xFA, 0x05, 0, 0, 0x08}}));
}

TEST_F(SerialBinaryControlTest, CopyWaitsFiftyMillisecondsBeforeItsReply) {
    TavTest::RecordingTimeDelay delay;
    const auto waits = delay.Log();
    CopyConfigurationWithSerialBinaryProtocol copy(ConfigurationLocation{1}, ConfigurationLocation{2}, 0, 0,
                                                   std::make_unique<TavTest::RecordingTimeDelay>(delay));
    Run(copy);
    EXPECT_EQ(Wire(), (Frames{{0xFA, 0x09, 0x82, 0x01, 0x02, 0x00, 0x00}}));
    EXPECT_EQ(waits->Waits(), std::vector{TavTest::RecordedWait::Milliseconds(50)});
    EXPECT_EQ(reader_.Model()->configurationCopies, (std::vector<std::array<uint8_t, 4>>{{1, 2, 0, 0}}));

    Inject({0xFA, 0x09, 0x82}, Fault::ShortReply(7));
    EXPECT_EQ(Failure(copy),
              (ProtocolFailure{"Response from reader did not match expected response for CopyConfiguration command.",
                               "CopyConfigurationWithSerialBinaryProtocol", "ValidateResponse"}));
}

TEST_F(SerialBinaryControlTest, LuidWriteSendsItsDataOnlyAfterTheReaderTookTheHeader) {
    SetLuidWithSerialBinaryProtocol set(0x1234);
    Run(set);
    EXPECT_EQ(Wire(), (Frames{{0xFA, 0x06, 0x00, 0x00, 0x02}, {0x34, 0x12}}));
    EXPECT_EQ(reader_.Model()->luid, 0x1234);

    constexpr const char* kFile = "SetLuidWithSerialBinaryProtocol";
    // A header the reader refused: no data phrase follows, and the refusal is reported.
    frontEnd_.ClearReceived();
    frontEnd_.InjectFault(TavSim::FaultTrigger::OnPhrase(0), Fault::CorruptByte(0, 0x6B), 1);
    EXPECT_EQ(Failure(set), (ProtocolFailure{"Reader reports a timeout error (no followup within 100ms => 0x6B) "
                                             "after sending SetLuid command",
                                             kFile, "ValidateResponse"}));
    EXPECT_EQ(Wire(), (Frames{{0xFA, 0x06, 0x00, 0x00, 0x02}}));

    frontEnd_.InjectFault(TavSim::FaultTrigger::OnPhrase(1), Fault::CorruptByte(0, 0x15), 1);
    EXPECT_EQ(Failure(set),
              (ProtocolFailure{"Invalid ACK received from reader after SetLuid command", kFile, "ValidateResponse"}));
    frontEnd_.ClearReceived();
    frontEnd_.InjectFault(TavSim::FaultTrigger::OnPhrase(1), Fault::ShortReply(1), 1);
    EXPECT_EQ(Failure(set), (ProtocolFailure{"Invalid response received from reader after sending LUID data", kFile,
                                             "ValidateResponse"}));
}

// In process: a reader left waiting for the data would answer 6B on the line before the next run.
TEST(SerialBinaryLuidReplyTest, AnEmptyReplyToEitherPhraseIsReported) {
    constexpr const char* kEmpty = "Empty response has been received from reader after SetLuid command";
    struct Case {
        const char* name;
        Frames replies;
        Frames sent;
    };
    const Case cases[] = {
        {"header", {{}}, {{0xFA, 0x06, 0x00, 0x00, 0x02}}},  // no data phrase follows
        {"data", {{0x06}, {}}, {{0xFA, 0x06, 0x00, 0x00, 0x02}, {0x34, 0x12}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TavTest::ScriptedTransport transport;
        for (const auto& reply : c.replies) {
            transport.QueueReply(reply);
        }
        SetLuidWithSerialBinaryProtocol set(0x1234);
        set.Execute(transport);
        EXPECT_EQ(TavTest::CatchProtocolFailure([&] { set.ValidateResponse(); }),
                  (ProtocolFailure{kEmpty, "SetLuidWithSerialBinaryProtocol", "ValidateResponse"}));
        EXPECT_EQ(transport.TransmittedPhrases(), c.sent);
    }
}

TEST_F(SerialBinaryControlTest, ALuidHeaderLeftWithoutDataTimesOutAtTheReader) {
    // The reader's side of the rule: a header without its data within 100 ms is answered 6B.
    TavTransport::TransportPayload header{{0xFA, 0x06, 0x00, 0x00, 0x02}, 5, TavTransport::ReportType::Feature};
    transport_.transmit(header);
    EXPECT_EQ(transport_.receive(header), Bytes{0x06});
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(transport_.receive(header), Bytes{0x6B});
}

TEST_F(SerialBinaryControlTest, EveryCheckFailsWithItsOwnMessage) {
    struct Case {
        const char* name;
        Bytes command;
        Fault fault;
        std::function<ProtocolFailure()> run;
        ProtocolFailure expected;
    };
    const auto beep = [this] { return Failure(BeepWithSerialBinaryProtocol(1, BEEP_DURATION::Short)); };
    const auto getVolume = [this] {
        return CatchProtocolFailure([&] {
            GetBeeperVolumeWithSerialBinaryProtocol command;
            Run(command);
            command.GetResult();
        });
    };
    const auto setVolume = [this] { return Failure(SetBeeperVolumeWithSerialBinaryProtocol(BeepVolume{1})); };
    const auto baud = [this] { return Failure(SetBaudRateWithSerialBinaryProtocol(SerialReaderBaudRate{1})); };
    const auto getActive = [this] {
        return CatchProtocolFailure([&] {
            GetActiveConfigurationWithSerialBinaryProtocol command;
            Run(command);
            command.GetResult();
        });
    };
    const auto setActive = [this] { return Failure(SetActiveConfigurationWithSerialBinaryProtocol(1)); };
    const auto getLuid = [this] { return Failure(GetLuidWithSerialBinaryProtocol()); };
    const auto store = [this] { return Failure(WriteConfigurationWithSerialBinaryProtocol(1)); };
    const auto defaults = [this] { return Failure(LoadStoredDefaultsWithSerialBinaryProtocol()); };
    const auto beepFailure = [](const char* message) {
        return ProtocolFailure{message, "BeepWithSerialBinaryProtocol", "ValidateResponse"};
    };
    const auto baudFailure = [](const char* message) {
        return ProtocolFailure{message, "SetBaudRateWithSerialBinaryProtocol", "ValidateResponse"};
    };
    const Case cases[] = {
        {"beep no card",
         {0xFA, 0x0C, 0x03},
         Fault::WrongStatusWord(0x6A82),
         beep,
         beepFailure("Beep command received error response: CARD_NOT_FOUND")},
        {"beep p1 p2",
         {0xFA, 0x0C, 0x03},
         Fault::WrongStatusWord(0x6B00),
         beep,
         beepFailure("Beep command received error response: P1_OR_P2_INCORRECT")},
        {"beep eeprom",
         {0xFA, 0x0C, 0x03},
         Fault::WrongStatusWord(0x6200),
         beep,
         beepFailure("Beep command received error response: EEPROM_ERROR")},
        {"beep p3",
         {0xFA, 0x0C, 0x03},
         Fault::WrongStatusWord(0x6700),
         beep,
         beepFailure("Beep command received error response: P3_INCORRECT")},
        {"beep instruction",
         {0xFA, 0x0C, 0x03},
         Fault::WrongStatusWord(0x6D00),
         beep,
         beepFailure("Beep command received error response: INVALID_INSTRUCTION")},
        {"beep class",
         {0xFA, 0x0C, 0x03},
         Fault::WrongStatusWord(0x6E00),
         beep,
         beepFailure("Beep command received error response: INVALID_CLASS")},
        {"beep other 6A",
         {0xFA, 0x0C, 0x03},
         Fault::WrongStatusWord(0x6A81),
         beep,
         beepFailure("Beep command received error response: UNKNOWN_ERROR")},
        {"beep 90 01",
         {0xFA, 0x0C, 0x03},
         Fault::WrongStatusWord(0x9001),
         beep,
         beepFailure("Beep command received error response: UNKNOWN_ERROR")},
        {"beep one byte",
         {0xFA, 0x0C, 0x03},
         Fault::ShortReply(1),
         beep,
         beepFailure("Beep command response holds no status word.")},
        {"volume ack",
         {0xFA, 0x0C, 0x06},
         Fault::CorruptByte(0, 0x0D),
         getVolume,
         {"Invalid response phrase", "GetBeeperVolumeWithSerialBinaryProtocol", "ValidateResponse"}},
        {"volume one byte",
         {0xFA, 0x0C, 0x06},
         Fault::ShortReply(1),
         getVolume,
         {"Invalid response phrase", "GetBeeperVolumeWithSerialBinaryProtocol", "ValidateResponse"}},
        {"set volume",
         {0xFA, 0x0C, 0x86},
         Fault::WrongStatusWord(0x6B00),
         setVolume,
         {"Invalid response received", "SetBeeperVolumeWithSerialBinaryProtocol", "ValidateResponse"}},
        {"baud ack",
         {0xFA, 0x0D, 0x81},
         Fault::CorruptByte(0, 0x0C),
         baud,
         baudFailure("Invalid ACK data received from reader after SetBaudRate command")},
        {"baud code",
         {0xFA, 0x0D, 0x81},
         Fault::WrongStatusWord(0x6B00),
         baud,
         baudFailure("Invalid response code received from reader after SetBaudRate command")},
        {"baud empty",
         {0xFA, 0x0D, 0x81},
         Fault::ShortReply(0),
         baud,
         baudFailure("SetBaudRate command response is empty")},
        {"baud one byte",
         {0xFA, 0x0D, 0x81},
         Fault::ShortReply(1),
         baud,
         baudFailure("Invalid response code received from reader after SetBaudRate command")},
        {"baud failed",
         {0xFA, 0x0D, 0x81},
         Fault::WrongStatusWord(0x9001),
         baud,
         baudFailure("SetBaudRate command failed")},
        {"baud two bytes", {0xFA, 0x0D, 0x81}, Fault::ShortReply(2), baud, baudFailure("SetBaudRate command failed")},
        {"active short",
         {0xFA, 0x09, 0x01},
         Fault::ShortReply(8),
         getActive,
         {"Response too short for GetActiveConfiguration command.", "GetActiveConfigurationWithSerialBinaryProtocol",
          "ValidateResponse"}},
        {"active ack",
         {0xFA, 0x09, 0x01},
         Fault::CorruptByte(1, 0x02),
         getActive,
         {"Invalid ACK data received from reader after GetActiveConfiguration command.",
          "GetActiveConfigurationWithSerialBinaryProtocol", "ValidateResponse"}},
        {"set active",
         {0xFA, 0x09, 0x81},
         Fault::ShortReply(9),
         setActive,
         {"Invalid ACK data received from reader after SetActiveConfiguration command",
          "SetActiveConfigurationWithSerialBinaryProtocol", "ValidateResponse"}},
        {"luid long",
         {0xFA, 0x05},
         Fault::TrailingBytes(1),
         getLuid,
         {"Invalid ACK data received from reader after GetLuid command", "GetLuidWithSerialBinaryProtocol",
          "ValidateResponse"}},
        {"store long",
         {0xFA, 0x02},
         Fault::TrailingBytes(1),
         store,
         {"Invalid response has been received from reader after WriteConfiguration command",
          "WriteConfigurationWithSerialBinaryProtocol", "ValidateResponse"}},
        {"defaults one byte",
         {0xFA, 0x03},
         Fault::ShortReply(1),
         defaults,
         {"Invalid ACK data received from reader after LoadStoredDefaults command",
          "LoadStoredDefaultsWithSerialBinaryProtocol", "ValidateResponse"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Inject(c.command, c.fault);
        EXPECT_EQ(c.run(), c.expected);
    }
    // Whatever follows the status word of a stored-defaults reply is not looked at.
    Inject({0xFA, 0x03}, Fault::TrailingBytes(2));
    EXPECT_EQ(defaults(), ProtocolFailure{});
}

TEST_F(SerialBinaryControlTest, SilenceIsAnEmptyReply) {
    Inject({0xFA}, Fault::NoReply());
    EXPECT_EQ(
        Failure(BeepWithSerialBinaryProtocol(1, BEEP_DURATION::Short)),
        (ProtocolFailure{"Beep command response was empty.", "BeepWithSerialBinaryProtocol", "ValidateResponse"}));
    EXPECT_EQ(Failure(GetLuidWithSerialBinaryProtocol()),
              (ProtocolFailure{"Empty response has been received after GetLuid command.",
                               "GetLuidWithSerialBinaryProtocol", "ValidateResponse"}));
}

}  // namespace
