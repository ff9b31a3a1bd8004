// Identity, version and baud-rate reads against the simulated reader on a pseudo-terminal.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "serialBinary/GetBaudRateWithSerialBinaryProtocol.h"
#include "serialBinary/GetControlFirmwareVersionWithSerialBinaryProtocol.h"
#include "serialBinary/GetESNWithSerialBinaryProtocol.h"
#include "serialBinary/GetInstalledHardwareWithSerialBinaryProtocol.h"
#include "serialBinary/GetPartNumberWithSerialBinaryProtocol.h"
#include "serialBinary/GetRadioFirmwareVersionWithSerialBinaryProtocol.h"
#include "serialBinary/GetStringWithSerialBinaryProtocol.h"
#include "serialBinary/GetSupportedCardsWithSerialBinaryProtocol.h"
#include "serialBinary/GetSystemUptimeWithSerialBinaryProtocol.h"
#include "sim/SerialBinaryFrontEnd.h"
#include "support/InProcessTransport.h"
#include "support/SerialLineFixture.h"

namespace {

using namespace TavProtocol;
using TavSim::Fault;
using TavTest::ProtocolFailure;
using Bytes = std::vector<uint8_t>;
using Frames = std::vector<Bytes>;

class SerialBinaryIdentityTest : public TavTest::SerialLineFixture {
protected:
    template <typename Command>
    auto Read(Command&& command) {
        Run(command);
        return command.GetResult();
    }
};

TEST_F(SerialBinaryIdentityTest, EsnComesInFivePartsWithoutItsZeroBytes) {
    reader_.Model()->esn = {'1', '2', 0, '3', 0, 0, 0, 0, '4', '5', '6', '7', '8', '9', 'A', 'B',
                            0,   0,   0, 0,   0, 0, 0, 0, 0,   0,   0,   0,   0,   0,   0,   'C'};
    EXPECT_EQ(Read(GetESNWithSerialBinaryProtocol()), "123456789ABC");
    EXPECT_EQ(Wire(), (Frames{{0xFA, 0x08, 0, 0, 0},
                              {0xFA, 0x08, 1, 0, 0},
                              {0xFA, 0x08, 2, 0, 0},
                              {0xFA, 0x08, 3, 0, 0},
                              {0xFA, 0x08, 4, 0, 0}}));
}

TEST_F(SerialBinaryIdentityTest, PartNumberComesInThreeParts) {
    reader_.Model()->partNumber = "6121AKN0000-1";
    EXPECT_EQ(Read(GetPartNumberWithSerialBinaryProtocol()), "6121AKN0000-1");
    EXPECT_EQ(Wire(), (Frames{{0xFA, 0x0C, 0x01, 0, 0}, {0xFA, 0x0C, 0x01, 1, 0}, {0xFA, 0x0C, 0x01, 2, 0}}));
}

TEST_F(SerialBinaryIdentityTest, StringIsReadUntilItsTerminator) {
    struct Case {
        uint8_t index;
        std::string stored;
        std::string expected;
        std::size_t phrases;
    };
    const Case cases[] = {
        {1, "Tavelin", "Tavelin", 1},                    // text and terminator fill one reply
        {2, "Simulated Reader", "Simulated Reader", 3},  // 17 bytes with the terminator
        {3,
         "A\x0C"
         "B",
         "AB", 1},  // the acknowledgement byte is dropped inside the text too
        {4, "", "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        reader_.Model()->strings[c.index - 1] = c.stored;
        frontEnd_.ClearReceived();
        EXPECT_EQ(Read(GetStringWithSerialBinaryProtocol(static_cast<GetStringIndex>(c.index))), c.expected);
        const Frames wire = Wire();
        ASSERT_EQ(wire.size(), c.phrases);
        for (std::size_t k = 0; k < wire.size(); ++k) {
            EXPECT_EQ(wire[k], (Bytes{0xFA, 0x0C, 0x04, c.index, static_cast<uint8_t>(k)}));
        }
    }
}

TEST_F(SerialBinaryIdentityTest, FirmwareVersionsKeepTheReplyBytesAsReceived) {
    {
        auto model = reader_.Model();
        model->controlFirmware[7] = {0x00, {0x01, 0x02, 0x03, 0x04}};
        model->radioFirmware[7] = {0x01, {0x0A, 0x0B, 0x0C, 0x0D}};
    }
    const auto control = Read(GetControlFirmwareVersionWithSerialBinaryProtocol(FirmwareVersionModuleType{7}));
    const auto radio = Read(GetRadioFirmwareVersionWithSerialBinaryProtocol(FirmwareVersionModuleType{7}));
    EXPECT_EQ(Wire(), (Frames{{0xFA, 0x09, 0x03, 0x00, 0x07}, {0xFA, 0x09, 0x03, 0x01, 0x07}}));
    const uint8_t controlBytes[] = {0x01, 0x02, 0x03, 0x04, 0x00, 0x07};
    const uint8_t radioBytes[] = {0x0A, 0x0B, 0x0C, 0x0D, 0x01, 0x07};
    EXPECT_EQ(0, std::memcmp(&control, controlBytes, sizeof controlBytes));
    EXPECT_EQ(0, std::memcmp(&radio, radioBytes, sizeof radioBytes));
}

TEST_F(SerialBinaryIdentityTest, InstalledHardwareSplitsSupportedAndInstalledFlags) {
    {
        auto model = reader_.Model();
        model->hardwareSupported = 0b11;  // flags 0 and 1
        model->hardwareInstalled = 0b1;   // flag 10
    }
    const InstalledHardwareInformation hardware = Read(GetInstalledHardwareWithSerialBinaryProtocol());
    EXPECT_EQ(Wire(), (Frames{{0xFA, 0x09, 0x05, 0, 0}}));
    for (std::size_t flag = 0; flag < InstalledHardwareInformation::kFlagCount; ++flag) {
        EXPECT_EQ(hardware.Flags[flag], flag == 0 || flag == 1 || flag == 10) << "flag " << flag;
    }
}

TEST_F(SerialBinaryIdentityTest, SupportedCardsArePagedUntilTwoZeroBytes) {
    struct Case {
        std::vector<uint16_t> stored;
        std::vector<uint16_t> expected;
        std::size_t pages;
    };
    const Case cases[] = {
        {{0x0001, 0x0002}, {0x0001, 0x0002}, 1},
        {{0x0001, 0x0002, 0x0003, 0x0004, 0x0005}, {0x0001, 0x0002, 0x0003, 0x0004, 0x0005}, 2},
        {{0x0001, 0x0002, 0x0003, 0x0004}, {0x0001, 0x0002, 0x0003, 0x0004}, 2},  // an empty page ends a full one
        {{0x0101, 0x0101, 0x0101}, {0x0101, 0x0101, 0x0101}, 1},                  // the end in the page's last code
        // The echoed page index 00 and the low byte 00 of 0x0100 look like the end: one page.
        {{0x0100, 0x0005, 0x0006, 0x0007, 0x0008}, {0x0100, 0x0005, 0x0006, 0x0007}, 1},
    };
    for (const auto& c : cases) {
        reader_.Model()->supportedCardTypes = c.stored;
        frontEnd_.ClearReceived();
        EXPECT_EQ(Read(GetSupportedCardsWithSerialBinaryProtocol()), c.expected);
        const Frames wire = Wire();
        ASSERT_EQ(wire.size(), c.pages);
        for (std::size_t page = 0; page < wire.size(); ++page) {
            EXPECT_EQ(wire[page], (Bytes{0xFA, 0x09, 0x04, static_cast<uint8_t>(page), 0x00}));
        }
    }
}

TEST_F(SerialBinaryIdentityTest, UptimeAndBaudRate) {
    {
        auto model = reader_.Model();
        model->uptimeSeconds = 10000;
        model->baudRateCode = 3;
    }
    EXPECT_EQ(Read(GetSystemUptimeWithSerialBinaryProtocol()), 10000u);
    EXPECT_EQ(Read(GetBaudRateWithSerialBinaryProtocol()), SerialReaderBaudRate{3});
    EXPECT_EQ(Wire(), (Frames{{0xFA, 0x09, 0x06, 0, 0}, {0xFA, 0x0D, 0x01, 0, 0}}));
}

TEST_F(SerialBinaryIdentityTest, EveryCheckFailsWithItsOwnMessage) {
    struct Case {
        std::string name;
        Bytes command;
        Fault fault;
        std::function<void(TavTransport::Transport&)> run;
        ProtocolFailure expected;
    };
    const auto read = [](auto make) {
        return [make](TavTransport::Transport& transport) {
            auto command = make();
            command.Execute(transport);
            command.ValidateResponse();
            command.GetResult();
        };
    };
    const auto esn = read([] { return GetESNWithSerialBinaryProtocol(); });
    const auto partNumber = read([] { return GetPartNumberWithSerialBinaryProtocol(); });
    const auto string = read([] { return GetStringWithSerialBinaryProtocol(GetStringIndex{1}); });
    const auto control =
        read([] { return GetControlFirmwareVersionWithSerialBinaryProtocol(FirmwareVersionModuleType{0}); });
    const auto hardware = read([] { return GetInstalledHardwareWithSerialBinaryProtocol(); });
    const auto cards = read([] { return GetSupportedCardsWithSerialBinaryProtocol(); });
    const auto uptime = read([] { return GetSystemUptimeWithSerialBinaryProtocol(); });
    const auto baud = read([] { return GetBaudRateWithSerialBinaryProtocol(); });
    std::vector<Case> cases = {
        {"esn empty part",
         {0xFA, 0x08, 0x02},
         Fault::ShortReply(0),
         esn,
         {"Response phrase at index 2 is empty", "GetESNWithSerialBinaryProtocol", "ValidateResponse"}},
        {"part number empty part",
         {0xFA, 0x0C, 0x01, 0x01},
         Fault::ShortReply(0),
         partNumber,
         {"Response phrase at index 1 is empty", "GetPartNumberWithSerialBinaryProtocol", "ValidateResponse"}},
        {"part number too long",
         {0xFA, 0x0C, 0x01},
         Fault::TrailingBytes(1),
         partNumber,
         {"Expected 1-byte ACK and an 8 byte part number in response phrase but received 10 bytes",
          "GetPartNumberWithSerialBinaryProtocol", "GetResult"}},
        {"string ack",
         {0xFA, 0x0C, 0x04},
         Fault::CorruptByte(0, 0x0D),
         string,
         {"Invalid ACK received from reader after Get String command", "GetStringWithSerialBinaryProtocol",
          "ValidateResponse"}},
        {"string empty reply",
         {0xFA, 0x0C, 0x04},
         Fault::ShortReply(0),
         string,
         {"The byte array received by GetStringWithSerialBinaryProtocol is empty.", "GetStringWithSerialBinaryProtocol",
          "ReverseSeekNullTerminator"}},
        {"control firmware status",
         {0xFA, 0x09, 0x03},
         Fault::WrongStatusWord(0x6A82),
         control,
         {"Invalid response phrase", "GetControlFirmwareVersionWithSerialBinaryProtocol", "ValidateResponse"}},
        {"control firmware short",
         {0xFA, 0x09, 0x03},
         Fault::ShortReply(9),
         control,
         {"Invalid response phrase", "GetControlFirmwareVersionWithSerialBinaryProtocol", "ValidateResponse"}},
        {"hardware short",
         {0xFA, 0x09, 0x05},
         Fault::ShortReply(11),
         hardware,
         {"Invalid response phrase", "GetInstalledHardwareWithSerialBinaryProtocol", "ValidateResponse"}},
        {"cards status",
         {0xFA, 0x09, 0x04},
         Fault::CorruptByte(11, 0x6A),
         cards,
         {"Invalid ACK data received from reader after GetSupportedCards command",
          "GetSupportedCardsWithSerialBinaryProtocol", "ValidateResponse"}},
        {"uptime status",
         {0xFA, 0x09, 0x06},
         Fault::WrongStatusWord(0x6B00),
         uptime,
         {"Invalid response phrase", "GetSystemUptimeWithSerialBinaryProtocol", "ValidateResponse"}},
        {"uptime short",
         {0xFA, 0x09, 0x06},
         Fault::ShortReply(7),
         uptime,
         {"Invalid response phrase", "GetSystemUptimeWithSerialBinaryProtocol", "ValidateResponse"}},
        {"baud ack",
         {0xFA, 0x0D, 0x01},
         Fault::CorruptByte(0, 0x0E),
         baud,
         {"GetBaudRate command ACK is invalid", "GetBaudRateWithSerialBinaryProtocol", "ValidateResponse"}},
        {"baud code",
         {0xFA, 0x0D, 0x01},
         Fault::CorruptByte(1, 0x05),
         baud,
         {"GetBaudRate command response contains an invalid baud rate 0x5", "GetBaudRateWithSerialBinaryProtocol",
          "ValidateResponse"}},
        {"baud code missing",
         {0xFA, 0x0D, 0x01},
         Fault::ShortReply(1),
         baud,
         {"GetBaudRate command response holds no baud rate", "GetBaudRateWithSerialBinaryProtocol",
          "ValidateResponse"}},
    };
    // Each part's acknowledgement is checked, the last one's as much as the first's.
    for (uint8_t part = 0; part < 5; ++part) {
        cases.push_back({"esn ack of part " + std::to_string(part),
                         {0xFA, 0x08, part},
                         Fault::CorruptByte(0, 0x09),
                         esn,
                         {"Invalid ACK data received from reader after GetESN command",
                          "GetESNWithSerialBinaryProtocol", "ValidateResponse"}});
    }
    for (uint8_t part = 0; part < 3; ++part) {
        cases.push_back({"part number ack of part " + std::to_string(part),
                         {0xFA, 0x0C, 0x01, part},
                         Fault::CorruptByte(0, 0x0D),
                         partNumber,
                         {"Invalid ACK data received from reader after GetPartNumber command",
                          "GetPartNumberWithSerialBinaryProtocol", "ValidateResponse"}});
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Inject(c.command, c.fault);
        EXPECT_EQ(TavTest::CatchProtocolFailure([&] { c.run(transport_); }), c.expected);
    }
}

TEST_F(SerialBinaryIdentityTest, StringOutOfRangeIsReportedByItsStatusWord) {
    const auto read = [this](uint8_t index) {
        return TavTest::CatchProtocolFailure(
            [&] { Read(GetStringWithSerialBinaryProtocol(static_cast<GetStringIndex>(index))); });
    };
    EXPECT_EQ(read(9), (ProtocolFailure{"Requested string is invalid - out of range for Get String command",
                                        "GetStringWithSerialBinaryProtocol", "ValidateResponse"}));
    // An empty string is answered 0C 00; as 67 00 it is the index that is out of range.
    reader_.Model()->strings[3] = "";
    Inject({0xFA, 0x0C, 0x04}, Fault::WrongStatusWord(0x6700));
    EXPECT_EQ(read(4), (ProtocolFailure{"Provided index is invalid - out of range for Get String command",
                                        "GetStringWithSerialBinaryProtocol", "ValidateResponse"}));

    // A later phrase answered by a status word of its own fails as a first one would: eight
    // characters fill the first phrase, and the second, 0C 00, is turned into the status word.
    reader_.Model()->strings[0] = "ABCDEFGH";
    const std::pair<uint16_t, const char*> later[] = {
        {0x6B00, "Requested string is invalid - out of range for Get String command"},
        {0x6700, "Provided index is invalid - out of range for Get String command"},
        {0x6A82, "Invalid ACK received from reader after Get String command"},
    };
    for (const auto& [statusWord, message] : later) {
        Inject({0xFA, 0x0C, 0x04, 0x01, 0x01}, Fault::WrongStatusWord(statusWord));
        EXPECT_EQ(read(1), (ProtocolFailure{message, "GetStringWithSerialBinaryProtocol", "ValidateResponse"}));
    }
}

TEST_F(SerialBinaryIdentityTest, AReplyThatNeverEndsFailsWithinOneWindow) {
    Inject({0xFA, 0x0C, 0x04}, Fault::EndlessReply());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(TavTest::CatchProtocolFailure([&] { Read(GetStringWithSerialBinaryProtocol(GetStringIndex{1})); }),
              (ProtocolFailure{"Invalid ACK received from reader after Get String command",
                               "GetStringWithSerialBinaryProtocol", "ValidateResponse"}));
    // Cut at its window of 100 ms, not read on for ten of them.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_EQ(Wire().size(), 1u);
}

// Lists and strings that never end, read in process: 256 phrases over the line would take seconds.
class SerialBinaryEndlessListTest : public ::testing::Test {
protected:
    TavSim::SimulatedReader reader_;
    TavSim::SerialBinaryFrontEnd frontEnd_{reader_};
    TavTest::InProcessTransport transport_{frontEnd_};
};

TEST_F(SerialBinaryEndlessListTest, StringWithoutTerminatorStopsAfter256Phrases) {
    reader_.Model()->strings[0] = std::string(4000, 'x');
    GetStringWithSerialBinaryProtocol command(GetStringIndex{1});
    command.Execute(transport_);
    EXPECT_EQ(frontEnd_.ReceivedBytes().size(), 256u);
    EXPECT_EQ(frontEnd_.ReceivedBytes().back(), (Bytes{0xFA, 0x0C, 0x04, 0x01, 0xFF}));
    EXPECT_EQ(TavTest::CatchProtocolFailure([&] { command.ValidateResponse(); }),
              (ProtocolFailure{"The response received from the device does not contain a null terminator.",
                               "GetStringWithSerialBinaryProtocol", "ValidateResponse"}));
}

TEST_F(SerialBinaryEndlessListTest, CardListWithoutEndStopsAfter256Pages) {
    reader_.Model()->supportedCardTypes = std::vector<uint16_t>(2000, 0x0101);
    GetSupportedCardsWithSerialBinaryProtocol command;
    command.Execute(transport_);
    EXPECT_EQ(frontEnd_.ReceivedBytes().size(), 256u);
    EXPECT_EQ(TavTest::CatchProtocolFailure([&] { command.ValidateResponse(); }),
              (ProtocolFailure{"The supported card list from the reader did not end within 256 pages",
                               "GetSupportedCardsWithSerialBinaryProtocol", "ValidateResponse"}));
}

TEST_F(SerialBinaryEndlessListTest, PagingEndsAtTheFirstReplyThatIsNoPage) {
    reader_.Model()->supportedCardTypes = std::vector<uint16_t>(12, 0x0101);
    frontEnd_.InjectFault(TavSim::FaultTrigger::OnPhrase(1), Fault::WrongStatusWord(0x6A82));
    GetSupportedCardsWithSerialBinaryProtocol command;
    command.Execute(transport_);
    EXPECT_EQ(frontEnd_.ReceivedBytes().size(), 2u);
    EXPECT_EQ(TavTest::CatchProtocolFailure([&] { command.ValidateResponse(); }).message,
              "Invalid ACK data received from reader after GetSupportedCards command");
}

}  // namespace
