// The MFP24 commands against a simulated MFP24 reader: the exact 24-character phrases, the
// decoding of each reply, and each reply check.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/ProtocolException.h"
#include "mfp24/BeepWithMfp24Protocol.h"
#include "mfp24/CopyConfigurationWithMfp24Protocol.h"
#include "mfp24/GetBluetoothFirmwareVersionWithMfp24Protocol.h"
#include "mfp24/GetInstalledHardwareWithMfp24Protocol.h"
#include "mfp24/GetPartNumberWithMfp24Protocol.h"
#include "mfp24/GetSupportedCardsWithMfp24Protocol.h"
#include "mfp24/SetBeeperVolumeWithMfp24Protocol.h"
#include "sim/CommandTables.h"
#include "sim/FeatureReportFrontEnd.h"
#include "support/InProcessTransport.h"
#include "support/SimulatedFeatureReportReader.h"

namespace {

using Bytes = std::vector<uint8_t>;
using TavSim::Fault;
using TavSim::FaultTrigger;
using testing::ElementsAre;
using testing::ElementsAreArray;

// A request as the reader expects it: the letters, '0' up to 23 characters, a carriage return.
Bytes Phrase(const std::string& letters) {
    std::string text = letters;
    text.resize(23, '0');
    text += '\r';
    return Bytes(text.begin(), text.end());
}

class Mfp24Test : public testing::Test {
protected:
    template <typename CommandType>
    void Run(CommandType& command) {
        command.Execute(transport_);
        command.ValidateResponse();
    }

    static void ExpectFailure(const std::function<void()>& run, const std::string& message, const char* source,
                              const char* function = "ValidateResponse") {
        TavTest::ExpectProtocolFailure(run, {message, source, function});
    }

    void Fail(FaultTrigger trigger, Fault fault) {
        frontEnd_.ClearFaults();
        frontEnd_.InjectFault(std::move(trigger), fault);
    }

    TavSim::SimulatedReader reader_;
    TavSim::FeatureReportFrontEnd frontEnd_{reader_, TavSim::Mfp24Commands()};
    TavTest::InProcessTransport transport_{frontEnd_};
};

TEST_F(Mfp24Test, BeepSendsLengthLetterAndCountAndChecksTheEcho) {
    TavProtocol::BeepWithMfp24Protocol shortBeeps(3);
    Run(shortBeeps);
    TavProtocol::BeepWithMfp24Protocol longBeeps(2 | 1 << 8);
    Run(longBeeps);
    EXPECT_THAT(frontEnd_.ReceivedBytes(), ElementsAre(Phrase("BS3"), Phrase("BL2")));
    EXPECT_THAT(reader_.Model()->beeps, ElementsAre(3, 0x82));

    const char* source = "BeepWithMfp24Protocol";
    Fail(FaultTrigger::OnCommand({'B', 'L'}), Fault::CorruptByte(1, 'S'));
    TavProtocol::BeepWithMfp24Protocol answeredShort(2 | 1 << 8);
    answeredShort.Execute(transport_);
    ExpectFailure([&] { answeredShort.ValidateResponse(); }, "Invalid response from reader beep command.", source);
    for (const auto& fault : {Fault::ShortReply(23), Fault::CorruptByte(23, '0'), Fault::CorruptByte(0, 'E')}) {
        Fail(FaultTrigger::OnCommand({'B', 'S'}), fault);
        TavProtocol::BeepWithMfp24Protocol command(1);
        command.Execute(transport_);
        ExpectFailure([&] { command.ValidateResponse(); }, "Invalid response from reader beep command.", source);
    }
    Fail(FaultTrigger::OnCommand({'B', 'S'}), Fault::NoReply());
    TavProtocol::BeepWithMfp24Protocol unanswered(1);
    unanswered.Execute(transport_);
    ExpectFailure([&] { unanswered.ValidateResponse(); }, "Empty response from reader beep command.", source);
    TavProtocol::BeepWithMfp24Protocol notRun(1);
    ExpectFailure([&] { notRun.ValidateResponse(); },
                  "Response validation of Beep command cannot occur until the command is finished.", source);
}

TEST_F(Mfp24Test, BeeperVolumeIsSentAsADigitAndEchoed) {
    TavProtocol::SetBeeperVolumeWithMfp24Protocol command(TavProtocol::BeepVolume{2});
    Run(command);
    EXPECT_THAT(frontEnd_.ReceivedBytes(), ElementsAre(Phrase("BV2")));
    EXPECT_EQ(reader_.Model()->beeperVolume, 2);

    const char* source = "SetBeeperVolumeWithMfp24Protocol";
    Fail(FaultTrigger::OnCommand({'B', 'V'}), Fault::CorruptByte(2, '1'));
    TavProtocol::SetBeeperVolumeWithMfp24Protocol wrongVolume(TavProtocol::BeepVolume{2});
    wrongVolume.Execute(transport_);
    ExpectFailure([&] { wrongVolume.ValidateResponse(); }, "Invalid response received", source);
    Fail(FaultTrigger::OnCommand({'B', 'V'}), Fault::NoReply());
    TavProtocol::SetBeeperVolumeWithMfp24Protocol unanswered(TavProtocol::BeepVolume{2});
    unanswered.Execute(transport_);
    ExpectFailure([&] { unanswered.ValidateResponse(); }, "SetBeeperVolume command response was empty.", source);
}

TEST_F(Mfp24Test, CopyConfigurationKnowsThreePairs) {
    struct Case {
        uint8_t source;
        uint8_t destination;
        const char* letters;
    };
    for (const auto& test : std::vector<Case>{{2, 0, "FD"}, {1, 0, "FR"}, {0, 1, "FW"}}) {
        {
            auto model = reader_.Model();
            model->configurations[test.source].blocks[0][0] = static_cast<uint8_t>(0x10 + test.source);
            model->configurations[test.destination].blocks[0][0] = 0xEE;
        }
        frontEnd_.ClearReceived();
        TavProtocol::CopyConfigurationWithMfp24Protocol command(
            static_cast<uint16_t>(test.source | test.destination << 8));
        Run(command);
        EXPECT_THAT(frontEnd_.ReceivedBytes(), ElementsAre(Phrase(test.letters)));
        EXPECT_EQ(reader_.Model()->configurations[test.destination].blocks[0][0], 0x10 + test.source);
    }

    TavProtocol::CopyConfigurationWithMfp24Protocol unknownPair(0 | 2 << 8);
    frontEnd_.ClearReceived();
    try {
        unknownPair.Execute(transport_);
        ADD_FAILURE();
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "Invalid source and destination combination");
    }
    EXPECT_TRUE(frontEnd_.ReceivedBytes().empty());

    for (const auto& fault : {Fault::NoReply(), Fault::CorruptByte(1, 'W'), Fault::CorruptByte(2, '1')}) {
        Fail(FaultTrigger::OnCommand({'F'}), fault);
        TavProtocol::CopyConfigurationWithMfp24Protocol command(1);
        command.Execute(transport_);
        ExpectFailure([&] { command.ValidateResponse(); }, "CopyConfiguration Mfp24 command response is invalid.",
                      "CopyConfigurationWithMfp24Protocol");
    }
}

TEST_F(Mfp24Test, BluetoothVersionKeepsTheCharacterCodesOfItsDigits) {
    reader_.Model()->bluetoothFirmware.major = 1;
    reader_.Model()->bluetoothFirmware.minor = 0x2A;
    TavProtocol::GetBluetoothFirmwareVersionWithMfp24Protocol command(TavProtocol::FirmwareVersionModuleType{7});
    Run(command);
    EXPECT_THAT(frontEnd_.ReceivedBytes(), ElementsAre(Phrase("QSX05")));
    const TavProtocol::BluetoothFirmwareVersion version = command.GetResult();
    EXPECT_EQ(version.Major, 0x30303031u);  // "0001"
    EXPECT_EQ(version.Minor, 0x30303241u);  // "002A"
    EXPECT_EQ(version.Build, 0u);
    EXPECT_EQ(version.FirmwareClass, 2);
    EXPECT_EQ(version.ModuleType, 7);

    const char* source = "GetBluetoothFirmwareVersionWithMfp24Protocol";
    Fail(FaultTrigger::OnCommand({'Q', 'S', 'X', '0', '5'}), Fault::ShortReply(23));
    TavProtocol::GetBluetoothFirmwareVersionWithMfp24Protocol shortReply(TavProtocol::FirmwareVersionModuleType{0});
    shortReply.Execute(transport_);
    ExpectFailure([&] { shortReply.ValidateResponse(); }, "Command response is incorrect size", source);
    Fail(FaultTrigger::OnCommand({'Q', 'S', 'X', '0', '5'}), Fault::ShortReply(8));
    shortReply.Execute(transport_);
    ExpectFailure([&] { shortReply.GetResult(); }, "Command response is incorrect size", source, "GetResult");
    Fail(FaultTrigger::OnCommand({'Q', 'S', 'X', '0', '5'}), Fault::CorruptByte(4, '7'));
    TavProtocol::GetBluetoothFirmwareVersionWithMfp24Protocol wrongEcho(TavProtocol::FirmwareVersionModuleType{0});
    wrongEcho.Execute(transport_);
    ExpectFailure([&] { wrongEcho.ValidateResponse(); }, "Command response is invalid.", source);
}

TEST_F(Mfp24Test, InstalledHardwareReadsTwoHexadecimalNumbers) {
    reader_.Model()->hardwareInstalled = 0xFF;
    reader_.Model()->hardwareSupported = 0x201;
    TavProtocol::GetInstalledHardwareWithMfp24Protocol command;
    Run(command);
    EXPECT_THAT(frontEnd_.ReceivedBytes(), ElementsAre(Phrase("QSX07")));
    InstalledHardwareInformation expected;
    expected.Flags[0] = expected.Flags[9] = true;
    for (int flag = 10; flag < 18; ++flag) {
        expected.Flags[flag] = true;
    }
    EXPECT_EQ(command.GetResult(), expected);

    // Lower-case digits count, anything else counts as 0.
    Fail(FaultTrigger::OnCommand({'Q', 'S', 'X', '0', '7'}), Fault::CorruptByte(20, 'f'));
    TavProtocol::GetInstalledHardwareWithMfp24Protocol lowerCase;
    Run(lowerCase);
    EXPECT_TRUE(lowerCase.GetResult().IsSupported(2));
    Fail(FaultTrigger::OnCommand({'Q', 'S', 'X', '0', '7'}), Fault::CorruptByte(20, 'Z'));
    TavProtocol::GetInstalledHardwareWithMfp24Protocol notADigit;
    Run(notADigit);
    EXPECT_FALSE(notADigit.GetResult().IsSupported(0));

    const char* source = "GetInstalledHardwareWithMfp24Protocol";
    frontEnd_.ClearFaults();
    reader_.Model()->mfp24ErrorPackets = {"QSX07"};
    TavProtocol::GetInstalledHardwareWithMfp24Protocol errorPacket;
    errorPacket.Execute(transport_);
    ExpectFailure([&] { errorPacket.ValidateResponse(); },
                  "Received an error packet or the reader does not support this command.", source);
    reader_.Model()->mfp24ErrorPackets.clear();
    Fail(FaultTrigger::OnCommand({'Q', 'S', 'X', '0', '7'}), Fault::CorruptByte(4, '5'));
    TavProtocol::GetInstalledHardwareWithMfp24Protocol wrongEcho;
    wrongEcho.Execute(transport_);
    ExpectFailure([&] { wrongEcho.ValidateResponse(); }, "Invalid response received", source);
    Fail(FaultTrigger::OnCommand({'Q', 'S', 'X', '0', '7'}), Fault::ShortReply(12));
    TavProtocol::GetInstalledHardwareWithMfp24Protocol shortReply;
    shortReply.Execute(transport_);
    ExpectFailure([&] { shortReply.ValidateResponse(); },
                  "ValidateResponse called before all response phrases were added", source);
    ExpectFailure([&] { shortReply.GetResult(); }, "ValidateResponse called before all response phrases were added",
                  source, "GetResult");
}

TEST_F(Mfp24Test, PartNumberIsTheTextWithoutTrailingBlanks) {
    reader_.Model()->partNumber = "ABC-123";
    TavProtocol::GetPartNumberWithMfp24Protocol command;
    Run(command);
    EXPECT_THAT(frontEnd_.ReceivedBytes(), ElementsAre(Phrase("QRZ01")));
    EXPECT_EQ(command.GetResult(), "ABC-123");

    reader_.Model()->partNumber = " A B ";
    TavProtocol::GetPartNumberWithMfp24Protocol inner;
    Run(inner);
    EXPECT_EQ(inner.GetResult(), " A B");

    const char* source = "GetPartNumberWithMfp24Protocol";
    Fail(FaultTrigger::OnCommand({'Q', 'R', 'Z'}), Fault::CorruptByte(2, 'X'));
    TavProtocol::GetPartNumberWithMfp24Protocol wrongEcho;
    wrongEcho.Execute(transport_);
    ExpectFailure([&] { wrongEcho.ValidateResponse(); }, "Invalid response received", source);
    Fail(FaultTrigger::OnCommand({'Q', 'R', 'Z'}), Fault::ShortReply(4));
    TavProtocol::GetPartNumberWithMfp24Protocol shortReply;
    shortReply.Execute(transport_);
    ExpectFailure([&] { shortReply.ValidateResponse(); },
                  "ValidateResponse called before all response phrases were added", source);
    EXPECT_EQ(shortReply.GetResult(), "");
    // Five bytes hold one character: the last byte is taken for the carriage return.
    reader_.Model()->partNumber = "XY";
    Fail(FaultTrigger::OnCommand({'Q', 'R', 'Z'}), Fault::ShortReply(5));
    TavProtocol::GetPartNumberWithMfp24Protocol fiveBytes;
    fiveBytes.Execute(transport_);
    EXPECT_EQ(fiveBytes.GetResult(), "X");
}

TEST_F(Mfp24Test, SupportedCardsArePagedUntilTheEndOfTheList) {
    reader_.Model()->supportedCardTypes = {1, 2, 3, 4, 5, 6};
    TavProtocol::GetSupportedCardsWithMfp24Protocol command;
    Run(command);
    EXPECT_THAT(frontEnd_.ReceivedBytes(), ElementsAre(Phrase("QCT00"), Phrase("QCT01")));
    EXPECT_THAT(command.GetResult(), ElementsAre(1, 2, 3, 4, 5, 6));

    // A list that fills its last page whole ends on the page after it; page numbers are hexadecimal.
    std::vector<uint16_t> many;
    for (uint16_t code = 1; code <= 27 * 5; ++code) {
        many.push_back(static_cast<uint16_t>(code * 0x101));
    }
    reader_.Model()->supportedCardTypes = many;
    frontEnd_.ClearReceived();
    TavProtocol::GetSupportedCardsWithMfp24Protocol paged;
    Run(paged);
    const auto sent = frontEnd_.ReceivedBytes();
    ASSERT_EQ(sent.size(), 28u);
    EXPECT_EQ(sent[26], Phrase("QCT1A"));
    EXPECT_EQ(sent[27], Phrase("QCT1B"));
    EXPECT_THAT(paged.GetResult(), ElementsAreArray(many));
}

TEST_F(Mfp24Test, SupportedCardsStopAtTheFirstReplyThatIsNoPage) {
    const char* source = "GetSupportedCardsWithMfp24Protocol";
    reader_.Model()->supportedCardTypes = std::vector<uint16_t>(12, 0x0042);

    struct Case {
        Fault fault;
        const char* message;
    };
    for (const auto& test : std::vector<Case>{
             {Fault::EndlessReply(), "GetSupportedCardsWithMfp24Protocol invalid response phrase."},
             {Fault::ShortReply(6), "GetSupportedCardsWithMfp24Protocol invalid response phrase."},
             {Fault::NoReply(), "GetSupportedCardsWithMfp24Protocol invalid response phrase."},
             {Fault::CorruptByte(0, 'E'), "Error called GetSupportedCardsWithMfp24Protocol on KVX1 reader."}}) {
        frontEnd_.ClearFaults();
        frontEnd_.InjectFault(FaultTrigger::OnPhrase(1), test.fault, 1);
        frontEnd_.ClearReceived();
        TavProtocol::GetSupportedCardsWithMfp24Protocol command;
        command.Execute(transport_);
        EXPECT_EQ(frontEnd_.ReceivedBytes().size(), 2u) << test.message;
        ExpectFailure([&] { command.ValidateResponse(); }, test.message, source);
    }

    frontEnd_.ClearFaults();
    reader_.Model()->mfp24ErrorPackets = {"QCT"};
    TavProtocol::GetSupportedCardsWithMfp24Protocol errorPacket;
    errorPacket.Execute(transport_);
    ExpectFailure([&] { errorPacket.ValidateResponse(); },
                  "Error called GetSupportedCardsWithMfp24Protocol on KVX1 reader.", source);

    TavProtocol::GetSupportedCardsWithMfp24Protocol notRun;
    ExpectFailure([&] { notRun.ValidateResponse(); }, "GetSupportedCardsWithMfp24Protocol command response was empty.",
                  source);
}

TEST_F(Mfp24Test, SupportedCardsEndAfter256PagesWithoutAnEnd) {
    reader_.Model()->supportedCardTypes = std::vector<uint16_t>(256 * 5 + 1, 0x0042);
    TavProtocol::GetSupportedCardsWithMfp24Protocol command;
    ExpectFailure([&] { command.Execute(transport_); },
                  "GetSupportedCardsWithMfp24Protocol: the card list did not end within 256 pages",
                  "GetSupportedCardsWithMfp24Protocol", "HasCommandPhrase");
    const auto sent = frontEnd_.ReceivedBytes();
    ASSERT_EQ(sent.size(), 256u);
    EXPECT_EQ(sent.back(), Phrase("QCTFF"));

    // 256 full pages and an end on none of them but the list's last code on the last page.
    reader_.Model()->supportedCardTypes = std::vector<uint16_t>(255 * 5 + 4, 0x0042);
    TavProtocol::GetSupportedCardsWithMfp24Protocol lastPage;
    Run(lastPage);
    EXPECT_EQ(lastPage.GetResult().size(), 255u * 5 + 4);
}

TEST_F(Mfp24Test, SupportedCardCodesMustBeHexadecimal) {
    reader_.Model()->supportedCardTypes = {0x0001, 0x0002};
    frontEnd_.InjectFault(FaultTrigger::OnCommand({'Q', 'C', 'T'}), Fault::CorruptByte(9, 'G'));
    TavProtocol::GetSupportedCardsWithMfp24Protocol command;
    Run(command);
    ExpectFailure([&] { command.GetResult(); }, "Invalid hex character.", "GetSupportedCardsWithMfp24Protocol",
                  "hexStringToUint16");
}

}  // namespace
