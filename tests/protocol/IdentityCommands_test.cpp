#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommandCases.h"
#include "featureReport/GetBluetoothFirmwareVersionWithFeatureReportProtocol.h"
#include "featureReport/GetControlFirmwareVersionWithFeatureReportProtocol.h"
#include "featureReport/GetESNWithFeatureReportProtocol.h"
#include "featureReport/GetInstalledHardwareWithFeatureReportProtocol.h"
#include "featureReport/GetPartNumberWithFeatureReportProtocol.h"
#include "featureReport/GetRadioFirmwareVersionWithFeatureReportProtocol.h"
#include "featureReport/GetSamFirmwareVersionWithFeatureReportProtocol.h"
#include "featureReport/GetStringWithFeatureReportProtocol.h"
#include "featureReport/GetSupportedCardsWithFeatureReportProtocol.h"
#include "featureReport/GetSystemUptimeWithFeatureReportProtocol.h"

namespace {

using namespace TavProtocol;
using TavSim::Fault;
using TavTest::Executed;
using TavTest::Phrase;
using TavTest::SimulatedFeatureReportReader;

std::vector<std::vector<uint8_t>> Phrases(std::initializer_list<uint8_t> prefix, int count) {
    std::vector<std::vector<uint8_t>> phrases;
    for (int k = 0; k < count; ++k) {
        std::vector<uint8_t> phrase(prefix);
        phrase.push_back(static_cast<uint8_t>(k));
        phrase.resize(8, 0);
        phrases.push_back(phrase);
    }
    return phrases;
}

std::string StringRead(TavTransport::Transport& transport, uint8_t index) {
    const auto command = Executed(GetStringWithFeatureReportProtocol(GetStringIndex{index}), transport);
    command.ValidateResponse();
    return command.GetResult();
}

std::vector<uint16_t> CardTypes(TavTransport::Transport& transport) {
    return Executed(GetSupportedCardsWithFeatureReportProtocol(), transport).GetResult();
}

TEST(IdentityCommandsTest, EachCommandSendsItsPhrasesAndDecodesTheReply) {
    TavTest::RunCommandCases({
        {"ESN keeps its zero bytes",
         [](auto& model) {
             model.esn = {'E', 'S', 'N', 0, '7'};
         },
         [](auto& transport) {
             std::string expected(
                 "ESN\0"
                 "7",
                 5);
             expected.resize(32, '\0');
             EXPECT_EQ(Executed(GetESNWithFeatureReportProtocol(), transport).GetResult(), expected);
         },
         Phrases({0x8C, 0x05}, 4)},
        {"part number ends at its first zero byte", [](auto& model) { model.partNumber = "TAV-SIM-0001"; },
         [](auto& transport) {
             EXPECT_EQ(Executed(GetPartNumberWithFeatureReportProtocol(), transport).GetResult(), "TAV-SIM-0001");
         },
         Phrases({0x8C, 0x01}, 3)},
        {"part number of 24 characters", [](auto& model) { model.partNumber = "ABCDEFGHIJKLMNOPQRSTUVWX"; },
         [](auto& transport) {
             EXPECT_EQ(Executed(GetPartNumberWithFeatureReportProtocol(), transport).GetResult(),
                       "ABCDEFGHIJKLMNOPQRSTUVWX");
         },
         Phrases({0x8C, 0x01}, 3)},
        {"string whose terminator fits the first reply", [](auto& model) { model.strings[0] = "Tavelin"; },
         [](auto& transport) { EXPECT_EQ(StringRead(transport, 1), "Tavelin"); }, Phrases({0x8C, 0x04, 1}, 1)},
        {"string over three replies", [](auto& model) { model.strings[1] = "Simulated Reader"; },
         [](auto& transport) { EXPECT_EQ(StringRead(transport, 2), "Simulated Reader"); }, Phrases({0x8C, 0x04, 2}, 3)},
        {"empty string", [](auto& model) { model.strings[7] = ""; },
         [](auto& transport) { EXPECT_EQ(StringRead(transport, 8), ""); }, Phrases({0x8C, 0x04, 8}, 1)},
        {"installed hardware: supported item 9, installed item 0",
         [](auto& model) {
             model.hardwareSupported = 1u << 9;
             model.hardwareInstalled = 1u << 0;
         },
         [](auto& transport) {
             InstalledHardwareInformation expected;
             expected.Flags[9] = true;
             expected.Flags[10] = true;
             EXPECT_EQ(Executed(GetInstalledHardwareWithFeatureReportProtocol(), transport).GetResult(), expected);
         },
         {Phrase({0x89, 0x05})}},
        {"installed hardware: every flag",
         [](auto& model) {
             model.hardwareSupported = 0xFFFFFFFF;
             model.hardwareInstalled = 0xFFFFFFFF;
         },
         [](auto& transport) {
             InstalledHardwareInformation expected;
             std::fill(std::begin(expected.Flags), std::end(expected.Flags), true);
             EXPECT_EQ(Executed(GetInstalledHardwareWithFeatureReportProtocol(), transport).GetResult(), expected);
         },
         {Phrase({0x89, 0x05})}},
        {"supported cards on one page",
         [](auto& model) {
             model.supportedCardTypes = {0x0001, 0x0002};
         },
         [](auto& transport) {
             EXPECT_EQ(CardTypes(transport), (std::vector<uint16_t>{1, 2}));
         },
         Phrases({0x89, 0x04}, 1)},
        {"a full page asks for the next",
         [](auto& model) {
             model.supportedCardTypes = {1, 2, 3, 4, 5};
         },
         [](auto& transport) {
             EXPECT_EQ(CardTypes(transport), (std::vector<uint16_t>{1, 2, 3, 4, 5}));
         },
         Phrases({0x89, 0x04}, 2)},
        {"two adjacent zero bytes across two codes end the list, the codes still count",
         [](auto& model) {
             model.supportedCardTypes = {0x0001, 0x0100, 0x0005, 0x0006, 0x0007};
         },
         [](auto& transport) {
             EXPECT_EQ(CardTypes(transport), (std::vector<uint16_t>{0x0001, 0x0100, 0x0005, 0x0006}));
         },
         Phrases({0x89, 0x04}, 1)},
        {"control firmware version of module type 7",
         [](auto& model) {
             model.controlFirmware[7] = {.firmwareClass = 0, .version = {1, 2, 3, 4}};
         },
         [](auto& transport) {
             EXPECT_EQ(
                 Executed(GetControlFirmwareVersionWithFeatureReportProtocol(FirmwareVersionModuleType{7}), transport)
                     .GetResult(),
                 (MicrocontrollerFirmwareVersion{0x04030201, 0, 7}));
         },
         {Phrase({0x89, 0x03, 0x00, 7})}},
        {"radio firmware version of module type 2",
         [](auto& model) {
             model.radioFirmware[2] = {.firmwareClass = 1, .version = {9, 8, 7, 6}};
         },
         [](auto& transport) {
             EXPECT_EQ(
                 Executed(GetRadioFirmwareVersionWithFeatureReportProtocol(FirmwareVersionModuleType{2}), transport)
                     .GetResult(),
                 (MicrocontrollerFirmwareVersion{0x06070809, 1, 2}));
         },
         {Phrase({0x89, 0x03, 0x01, 2})}},
        {"Bluetooth firmware version: the build big-endian",
         [](auto& model) { model.bluetoothFirmware = {.firmwareClass = 2, .major = 1, .minor = 2, .build = 30}; },
         [](auto& transport) {
             EXPECT_EQ(
                 Executed(GetBluetoothFirmwareVersionWithFeatureReportProtocol(FirmwareVersionModuleType{0}), transport)
                     .GetResult(),
                 (BluetoothFirmwareVersion{1, 2, 30, 2, 0}));
         },
         {Phrase({0x89, 0x03, 0x02, 0})}},
        {"SAM firmware versions: one reply read three ways, FeliCa's most significant byte first",
         [](auto& model) {
             model.samFirmware[3] = {.firmwareClass = 4, .version = {1, 2, 3, 4}};
         },
         [](auto& transport) {
             const auto command = Executed(GetSamFirmwareVersionWithFeatureReportProtocol(3), transport);
             EXPECT_EQ(command.GetFelicaSamFirmwareVersion(), (FelicaSamFirmwareVersion{0x01020304, 4, 3}));
             EXPECT_EQ(command.GetNxpSamFirmwareVersion(), (NxpSamFirmwareVersion{0x04030201, 4, 3}));
             EXPECT_EQ(command.GetHidSeSamFirmwareVersion(), (HidSeSamFirmwareVersion{0x04030201, 4, 3}));
         },
         {Phrase({0x89, 0x03, 0x04, 3})}},
        {"uptime",
         [](auto& model) { model.uptimeSeconds = 0x01020304; },
         [](auto& transport) {
             EXPECT_EQ(Executed(GetSystemUptimeWithFeatureReportProtocol(), transport).GetResult(), 0x01020304u);
         },
         {Phrase({0x89, 0x06})}},
    });
}

TEST(IdentityCommandsTest, EveryCheckFailsWithItsOwnMessage) {
    const char* string = "GetStringWithFeatureReportProtocol";
    TavTest::RunFailureCases({
        {"ESN before all replies",
         nullptr,
         [](auto&) { GetESNWithFeatureReportProtocol().GetResult(); },
         {"Attempted to get result of GetESN before all responses were received", "GetESNWithFeatureReportProtocol",
          "GetResult"}},
        {"ESN, a reply of 7 bytes would shift the rest",
         [](auto& device) { device.FaultOnPhrase(1, Fault::ShortReply(7)); },
         [](auto& transport) { Executed(GetESNWithFeatureReportProtocol(), transport).GetResult(); },
         {"Invalid response received for GetESN command.", "GetESNWithFeatureReportProtocol", "GetResult"}},
        {"part number before all replies",
         nullptr,
         [](auto&) { GetPartNumberWithFeatureReportProtocol().GetResult(); },
         {"GetPartNumberWithFeatureReportProtocol::GetResult called before all response phrases were added",
          "GetPartNumberWithFeatureReportProtocol", "GetResult"}},
        {"string before the exchange",
         nullptr,
         [](auto&) { GetStringWithFeatureReportProtocol(GetStringIndex{1}).ValidateResponse(); },
         {"No response received from the device.", string, "ValidateResponse"}},
        {"string, an empty reply ends the exchange",
         [](auto& device) {
             device.FaultOnCommand({0x8C, 0x04}, Fault::NoReply());
         },
         [](auto& transport) { StringRead(transport, 1); },
         {"The byte array received by GetStringWithFeatureReportProtocol is empty.", string,
          "ReverseSeekNullTerminator"}},
        {"installed hardware, a reply of 7 bytes",
         [](auto& device) {
             device.FaultOnCommand({0x89, 0x05}, Fault::ShortReply(7));
         },
         [](auto& transport) { Executed(GetInstalledHardwareWithFeatureReportProtocol(), transport).GetResult(); },
         {"No valid response has been received for GetInstalledHardware command.",
          "GetInstalledHardwareWithFeatureReportProtocol", "GetResult"}},
        {"installed hardware before the exchange",
         nullptr,
         [](auto&) { GetInstalledHardwareWithFeatureReportProtocol().GetResult(); },
         {"No valid response has been received for GetInstalledHardware command.",
          "GetInstalledHardwareWithFeatureReportProtocol", "GetResult"}},
        {"control firmware version, a reply of 7 bytes",
         [](auto& device) {
             device.FaultOnCommand({0x89, 0x03}, Fault::ShortReply(7));
         },
         [](auto& transport) {
             Executed(GetControlFirmwareVersionWithFeatureReportProtocol(FirmwareVersionModuleType{0}), transport)
                 .GetResult();
         },
         {"No valid response has been received for GetControlFirmwareVersion command.",
          "GetControlFirmwareVersionWithFeatureReportProtocol", "GetResult"}},
        {"radio firmware version before the exchange",
         nullptr,
         [](auto&) { GetRadioFirmwareVersionWithFeatureReportProtocol(FirmwareVersionModuleType{0}).GetResult(); },
         {"No valid response has been received for GetRadioFirmwareVersion command.",
          "GetRadioFirmwareVersionWithFeatureReportProtocol", "GetResult"}},
        {"Bluetooth firmware version, no reply",
         [](auto& device) {
             device.FaultOnCommand({0x89, 0x03}, Fault::NoReply());
         },
         [](auto& transport) {
             Executed(GetBluetoothFirmwareVersionWithFeatureReportProtocol(FirmwareVersionModuleType{0}), transport)
                 .GetResult();
         },
         {"No valid response has been received for GetBluetoothFirmwareVersion command.",
          "GetBluetoothFirmwareVersionWithFeatureReportProtocol", "GetResult"}},
        {"FeliCa SAM version, a reply of 5 bytes",
         [](auto& device) {
             device.FaultOnCommand({0x89, 0x03}, Fault::ShortReply(5));
         },
         [](auto& transport) {
             Executed(GetSamFirmwareVersionWithFeatureReportProtocol(3), transport).GetFelicaSamFirmwareVersion();
         },
         {"No valid response has been received for GetSamFirmwareVersion command.",
          "GetSamFirmwareVersionWithFeatureReportProtocol", "GetFelicaSamFirmwareVersion"}},
        {"NXP SAM version, a reply of 5 bytes",
         [](auto& device) {
             device.FaultOnCommand({0x89, 0x03}, Fault::ShortReply(5));
         },
         [](auto& transport) {
             Executed(GetSamFirmwareVersionWithFeatureReportProtocol(1), transport).GetNxpSamFirmwareVersion();
         },
         {"No valid response has been received for GetSamFirmwareVersion command.",
          "GetSamFirmwareVersionWithFeatureReportProtocol", "GetNxpSamFirmwareVersion"}},
        {"HID SE SAM version before the exchange",
         nullptr,
         [](auto&) { GetSamFirmwareVersionWithFeatureReportProtocol(0).GetHidSeSamFirmwareVersion(); },
         {"No valid response has been received for GetSamFirmwareVersion command.",
          "GetSamFirmwareVersionWithFeatureReportProtocol", "GetHidSeSamFirmwareVersion"}},
        {"uptime, a reply of 3 bytes",
         [](auto& device) {
             device.FaultOnCommand({0x89, 0x06}, Fault::ShortReply(3));
         },
         [](auto& transport) { Executed(GetSystemUptimeWithFeatureReportProtocol(), transport).GetResult(); },
         {"No valid response has been received for GetSystemUptime command.",
          "GetSystemUptimeWithFeatureReportProtocol", "GetResult"}},
    });
}

// A reader that never sends the terminator: the one-byte phrase number bounds the exchange.
TEST(IdentityCommandsTest, StringThatNeverEndsStopsAfter256Phrases) {
    SimulatedFeatureReportReader device;
    device.FaultOnCommand({0x8C, 0x04}, Fault::EndlessReply());
    GetStringWithFeatureReportProtocol command(GetStringIndex{3});
    TavTest::ExpectProtocolFailure([&] { command.Execute(device.transport); },
                                   {"GetString read 256 phrases without finding the end of the string.",
                                    "GetStringWithFeatureReportProtocol", "HasCommandPhrase"});
    const auto sent = device.Sent();
    ASSERT_EQ(sent.size(), 256u);
    EXPECT_EQ(sent.back(), Phrase({0x8C, 0x04, 3, 0xFF}));
    TavTest::ExpectProtocolFailure(
        [&] { command.ValidateResponse(); },
        {"The response received from the device does not contain a null terminator. Did you read far enough?",
         "GetStringWithFeatureReportProtocol", "ValidateResponse"});
}

TEST(IdentityCommandsTest, CardListThatNeverEndsStopsAfter256Pages) {
    SimulatedFeatureReportReader device;
    device.FaultOnCommand({0x89, 0x04}, Fault::EndlessReply());
    GetSupportedCardsWithFeatureReportProtocol command;
    TavTest::ExpectProtocolFailure([&] { command.Execute(device.transport); },
                                   {"GetSupportedCards read 256 pages without finding the end of the list.",
                                    "GetSupportedCardsWithFeatureReportProtocol", "HasCommandPhrase"});
    const auto sent = device.Sent();
    ASSERT_EQ(sent.size(), 256u);
    EXPECT_EQ(sent.back(), Phrase({0x89, 0x04, 0xFF}));
}

// A string that ends exactly in the 256th phrase is still read whole.
TEST(IdentityCommandsTest, StringEndingInThe256thPhraseIsRead) {
    SimulatedFeatureReportReader device;
    const std::string text(255 * 8 + 7, 'x');
    device.reader.Model()->strings[3] = text;
    EXPECT_EQ(StringRead(device.transport, 4), text);
    EXPECT_EQ(device.Sent().size(), 256u);
}

}  // namespace
