#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "CommandCases.h"
#include "featureReport/BeepWithFeatureReportProtocol.h"
#include "featureReport/ConfigureModuleStateWithFeatureReportProtocol.h"
#include "featureReport/EnableBootloaderModeWithFeatureReportProtocol.h"
#include "featureReport/EnableTransparentModeWithFeatureReportProtocol.h"
#include "featureReport/GetBeeperVolumeWithFeatureReportProtocol.h"
#include "featureReport/GetTransparentModeStatusWithFeatureReportProtocol.h"
#include "featureReport/SetBeeperVolumeWithFeatureReportProtocol.h"
#include "support/RecordingTimeDelay.h"

namespace {

using namespace TavProtocol;
using TavSim::Fault;
using TavTest::Executed;
using TavTest::Phrase;
using TavTest::RecordingTimeDelay;
using TavTest::SimulatedFeatureReportReader;
using ::testing::ElementsAre;

EnableBootloaderModeWithFeatureReportProtocol Bootloader(uint8_t module) {
    return EnableBootloaderModeWithFeatureReportProtocol(BootloaderModule{module},
                                                         std::make_unique<RecordingTimeDelay>());
}

TEST(DeviceControlCommandsTest, EachCommandSendsItsPhraseAndDecodesTheReply) {
    TavTest::RunCommandCases({
        {"two long beeps",
         nullptr,
         [](auto& transport) { Executed(BeepWithFeatureReportProtocol(2, 1), transport); },
         {Phrase({0x8C, 0x03, 0x82})}},
        {"three short beeps",
         nullptr,
         [](auto& transport) { Executed(BeepWithFeatureReportProtocol(3, 0), transport); },
         {Phrase({0x8C, 0x03, 0x03})}},
        {"beeper volume",
         [](auto& model) { model.beeperVolume = 2; },
         [](auto& transport) {
             EXPECT_EQ(Executed(GetBeeperVolumeWithFeatureReportProtocol(), transport).GetResult(), BeepVolume{2});
         },
         {Phrase({0x8C, 0x06})}},
        {"set the beeper volume, acknowledged with 8C 06",
         nullptr,
         [](auto& transport) {
             Executed(SetBeeperVolumeWithFeatureReportProtocol(BeepVolume{3}), transport).ValidateResponse();
         },
         {Phrase({0x8C, 0x86, 3})}},
        {"read a module's state: the state byte is not sent",
         [](auto& model) { model.moduleStates[5] = 3; },
         [](auto& transport) {
             const auto command = Executed(ConfigureModuleStateWithFeatureReportProtocol(
                                               ReaderModuleAction::Read, ReaderModuleId{5}, ReaderModuleState{7}),
                                           transport);
             command.ValidateResponse();
             EXPECT_EQ(command.GetResult(), ReaderModuleState{3});
         },
         {Phrase({0x8C, 0x0B, 1, 5, 0})}},
        {"set a module's state",
         nullptr,
         [](auto& transport) {
             const auto command = Executed(ConfigureModuleStateWithFeatureReportProtocol(
                                               ReaderModuleAction::Set, ReaderModuleId{5}, ReaderModuleState{7}),
                                           transport);
             command.ValidateResponse();
             EXPECT_EQ(command.GetResult(), ReaderModuleState{7});
         },
         {Phrase({0x8C, 0x0B, 2, 5, 7})}},
        {"enable transparent mode",
         nullptr,
         [](auto& transport) {
             Executed(EnableTransparentModeWithFeatureReportProtocol(1), transport).ValidateResponse();
         },
         {Phrase({0x8C, 0x80, 1})}},
        {"transparent-mode status",
         [](auto& model) {
             model.transparentModeState = 1;
             model.transparentModeStatus = 2;
         },
         [](auto& transport) {
             const auto command = Executed(GetTransparentModeStatusWithFeatureReportProtocol(), transport);
             command.ValidateResponse();
             EXPECT_EQ(command.GetResult(),
                       (TransparentModeStatusInformation{1, TransparentModeState{1}, TransparentModeStatus{2}}));
         },
         {Phrase({0x8C, 0x00})}},
        {"transparent-mode status of a reader without it: eight zero bytes, no echo check",
         [](auto& model) { model.transparentModeSupported = false; },
         [](auto& transport) {
             const auto command = Executed(GetTransparentModeStatusWithFeatureReportProtocol(), transport);
             command.ValidateResponse();
             EXPECT_EQ(command.GetResult(), TransparentModeStatusInformation{});
         },
         {Phrase({0x8C, 0x00})}},
        {"bootloader mode",
         [](auto& model) { model.bootloaderReadyByte = 0x3E; },
         [](auto& transport) { EXPECT_EQ(Executed(Bootloader(1), transport).ParseResult(), 0x3E); },
         {Phrase({0xF0, 1})}},
    });
}

// The reader needs 3 seconds in the bootloader before it answers: the reply is read only after
// the command's delay was asked for them.
TEST(DeviceControlCommandsTest, BootloaderModeWaitsThreeSecondsBeforeReadingTheReply) {
    SimulatedFeatureReportReader device;
    auto delay = std::make_unique<RecordingTimeDelay>();
    const auto timeline = delay->Log();
    device.transport.RecordOn(timeline);
    EnableBootloaderModeWithFeatureReportProtocol command(BootloaderModule{1}, std::move(delay));
    command.Execute(device.transport);
    EXPECT_THAT(timeline->Lines(),
                ElementsAre("sent F0 01 00 00 00 00 00 00", "wait 3 s", "received 01 2E 3E 00 00 00 00 00"));
    EXPECT_TRUE(device.reader.Model()->bootloaderMode);
    EXPECT_EQ(device.reader.Model()->bootloaderModule, 1);
    EXPECT_TRUE(command.NextCommandPhrase().empty());
}

TEST(DeviceControlCommandsTest, EveryCheckFailsWithItsOwnMessage) {
    const auto fault = [](std::vector<uint8_t> command, Fault fault) {
        return [command, fault](SimulatedFeatureReportReader& device) { device.FaultOnCommand(command, fault); };
    };
    const auto moduleState = [](auto& transport) {
        return Executed(ConfigureModuleStateWithFeatureReportProtocol(ReaderModuleAction::Read, ReaderModuleId{5},
                                                                      ReaderModuleState{0}),
                        transport);
    };
    const auto transparentMode = [](auto& transport) {
        Executed(EnableTransparentModeWithFeatureReportProtocol(1), transport).ValidateResponse();
    };
    const auto transparentStatus = [](auto& transport) {
        const auto command = Executed(GetTransparentModeStatusWithFeatureReportProtocol(), transport);
        command.ValidateResponse();
        command.GetResult();
    };
    const char* volumeGet = "GetBeeperVolumeWithFeatureReportProtocol";
    const char* volumeSet = "SetBeeperVolumeWithFeatureReportProtocol";
    const char* module = "ConfigureModuleStateWithFeatureReportProtocol";
    const char* transparent = "EnableTransparentModeWithFeatureReportProtocol";
    const char* status = "GetTransparentModeStatusWithFeatureReportProtocol";
    const char* bootloader = "EnableBootloaderModeWithFeatureReportProtocol";
    TavTest::RunFailureCases({
        {"volume before the exchange",
         nullptr,
         [](auto&) { GetBeeperVolumeWithFeatureReportProtocol().GetResult(); },
         {"No response has been received. Did you execute the command?", volumeGet, "GetResult"}},
        {"volume, a reply too short for the volume",
         fault({0x8C, 0x06}, Fault::ShortReply(2)),
         [](auto& transport) { Executed(GetBeeperVolumeWithFeatureReportProtocol(), transport).GetResult(); },
         {"Invalid response received for GetBeeperVolume command.", volumeGet, "GetResult"}},
        {"set volume before the exchange",
         nullptr,
         [](auto&) { SetBeeperVolumeWithFeatureReportProtocol(BeepVolume{1}).ValidateResponse(); },
         {"No response received", volumeSet, "ValidateResponse"}},
        {"set volume, acknowledged with the write's sub-code",
         fault({0x8C, 0x86}, Fault::CorruptByte(1, 0x86)),
         [](auto& transport) {
             Executed(SetBeeperVolumeWithFeatureReportProtocol(BeepVolume{1}), transport).ValidateResponse();
         },
         {"Invalid response received", volumeSet, "ValidateResponse"}},
        {"set volume, a short acknowledgement",
         fault({0x8C, 0x86}, Fault::ShortReply(2)),
         [](auto& transport) {
             Executed(SetBeeperVolumeWithFeatureReportProtocol(BeepVolume{1}), transport).ValidateResponse();
         },
         {"Invalid response received", volumeSet, "ValidateResponse"}},
        {"module state, no reply",
         fault({0x8C, 0x0B}, Fault::NoReply()),
         [&](auto& transport) { moduleState(transport).ValidateResponse(); },
         {"No response has been received", module, "ValidateResponse"}},
        {"module state, a reply of 7 bytes",
         fault({0x8C, 0x0B}, Fault::ShortReply(7)),
         [&](auto& transport) { moduleState(transport).ValidateResponse(); },
         {"Response packet is too short", module, "ValidateResponse"}},
        {"module state, a refusal",
         fault({0x8C, 0x0B}, Fault::CorruptByte(2, 0xFE)),
         [&](auto& transport) { moduleState(transport).ValidateResponse(); },
         {"Invalid response packet received from reader after ConfigureModuleState command. (Does the reader "
          "support this command?)",
          module, "ValidateResponse"}},
        {"module state, another module's answer",
         fault({0x8C, 0x0B}, Fault::CorruptByte(3, 0x06)),
         [&](auto& transport) { moduleState(transport).ValidateResponse(); },
         {"Invalid response packet received from reader after ConfigureModuleState command. (Does the reader "
          "support this command?)",
          module, "ValidateResponse"}},
        {"module state read without its check, a reply too short for the state",
         fault({0x8C, 0x0B}, Fault::ShortReply(4)),
         [&](auto& transport) { moduleState(transport).GetResult(); },
         {"Response packet is too short", module, "GetResult"}},
        {"transparent mode before the exchange",
         nullptr,
         [](auto&) { EnableTransparentModeWithFeatureReportProtocol(1).ValidateResponse(); },
         {"No response has been received.", transparent, "ValidateResponse"}},
        {"transparent mode, a reply of 7 bytes",
         fault({0x8C, 0x80}, Fault::ShortReply(7)),
         transparentMode,
         {"Invalid response phrase size. Expected 8 bytes.", transparent, "ValidateResponse"}},
        {"transparent mode on a reader without it, before the echo is compared",
         [](auto& device) { device.reader.Model()->transparentModeSupported = false; },
         transparentMode,
         {"Transparent mode is not supported on this device.", transparent, "ValidateResponse"}},
        {"transparent mode, a wrong echo",
         fault({0x8C, 0x80}, Fault::CorruptByte(2, 0x00)),
         transparentMode,
         {"Invalid ACK data has been received.", transparent, "ValidateResponse"}},
        {"transparent status before the exchange",
         nullptr,
         [](auto&) { GetTransparentModeStatusWithFeatureReportProtocol().ValidateResponse(); },
         {"No response has been received.", status, "ValidateResponse"}},
        {"transparent status, a reply of 4 bytes",
         fault({0x8C, 0x00}, Fault::ShortReply(4)),
         transparentStatus,
         {"Invalid response phrase size. Expected 8 bytes.", status, "ValidateResponse"}},
        {"transparent status, a wrong echo",
         fault({0x8C, 0x00}, Fault::CorruptByte(1, 0x01)),
         transparentStatus,
         {"Invalid ACK data has been received.", status, "GetResult"}},
        {"transparent status read without its check, no reply",
         fault({0x8C, 0x00}, Fault::NoReply()),
         [](auto& transport) { Executed(GetTransparentModeStatusWithFeatureReportProtocol(), transport).GetResult(); },
         {"Invalid response phrase size. Expected 8 bytes.", status, "GetResult"}},
        {"bootloader, no reply",
         fault({0xF0}, Fault::NoReply()),
         [](auto& transport) { Executed(Bootloader(0), transport).ParseResult(); },
         {"Result parsing of EnableBootloaderMode failed because the command did not receive a response from the "
          "reader.",
          bootloader, "ParseResult"}},
        {"bootloader, a stray last byte",
         fault({0xF0}, Fault::CorruptByte(7, 0x01)),
         [](auto& transport) { Executed(Bootloader(0), transport).ParseResult(); },
         {"Invalid response packet received for EnableBootloaderMode command.", bootloader, "ParseResult"}},
        {"bootloader, another status character",
         fault({0xF0}, Fault::CorruptByte(1, '!')),
         [](auto& transport) { Executed(Bootloader(0), transport).ParseResult(); },
         {"Invalid response packet received for EnableBootloaderMode command.", bootloader, "ParseResult"}},
    });
}

}  // namespace
