// The facade's beeper, baud-rate, module-state and transparent-mode operations.
#include <gtest/gtest.h>

#include <vector>

#include "FacadeCases.h"
#include "sim/Fault.h"
#include "support/SimulatedFeatureReportReader.h"

namespace {

using namespace TavProtocol;
using TavTest::FacadeFailureRow;
using TavTest::FacadeRow;
using TavTest::Mfp24Request;
using TavTest::Phrase;
using TavTest::SimulatedProtocolReader;
using TavTest::Wire;
using Bytes = std::vector<uint8_t>;
using Model = TavSim::DeviceModel;
using Facade = ProtocolFacade;

TEST(DeviceControlFacadeTest, EachOperationSendsItsPhrasesAndCopiesItsResultOut) {
    const std::vector<FacadeRow> rows = {
        {"Beep(3, short)",
         Wire::FeatureReport,
         nullptr,
         [](const Facade& f) { return f.Beep(3, BEEP_DURATION::Short); },
         {Phrase({0x8C, 0x03, 0x03})},
         [](Model& m) { EXPECT_EQ(m.beeps, Bytes{3}); }},
        {"Beep(2, long)",
         Wire::Mfp24,
         nullptr,
         [](const Facade& f) { return f.Beep(2, BEEP_DURATION::Long); },
         {Mfp24Request("BL2")},
         [](Model& m) { EXPECT_EQ(m.beeps, Bytes{0x82}); }},
        {"Beep(5, short)",
         Wire::SerialBinary,
         nullptr,
         [](const Facade& f) { return f.Beep(5, BEEP_DURATION::Short); },
         {{0xFA, 0x0C, 0x03, 0x05, 0x00}},
         [](Model& m) { EXPECT_EQ(m.beeps, Bytes{5}); }},
        {"GetBeeperVolume",
         Wire::FeatureReport,
         [](Model& m) { m.beeperVolume = 2; },
         [](const Facade& f) {
             BeepVolume volume{0x77};
             const ProtocolCommandResult result = f.GetBeeperVolume(volume);
             EXPECT_EQ(volume, BeepVolume{2});
             return result;
         },
         {Phrase({0x8C, 0x06})}},
        {"GetBeeperVolume",
         Wire::SerialBinary,
         [](Model& m) { m.beeperVolume = 3; },
         [](const Facade& f) {
             BeepVolume volume{0x77};
             const ProtocolCommandResult result = f.GetBeeperVolume(volume);
             EXPECT_EQ(volume, BeepVolume{3});
             return result;
         },
         {{0xFA, 0x0C, 0x06, 0x00, 0x00}}},
        {"SetBeeperVolume(1)",
         Wire::FeatureReport,
         nullptr,
         [](const Facade& f) { return f.SetBeeperVolume(BeepVolume{1}); },
         {Phrase({0x8C, 0x86, 0x01})},
         [](Model& m) { EXPECT_EQ(m.beeperVolume, 1); }},
        {"SetBeeperVolume(2)",
         Wire::Mfp24,
         nullptr,
         [](const Facade& f) { return f.SetBeeperVolume(BeepVolume{2}); },
         {Mfp24Request("BV2")},
         [](Model& m) { EXPECT_EQ(m.beeperVolume, 2); }},
        {"SetBeeperVolume(3)",
         Wire::SerialBinary,
         nullptr,
         [](const Facade& f) { return f.SetBeeperVolume(BeepVolume{3}); },
         {{0xFA, 0x0C, 0x86, 0x03, 0x00, 0x00}},
         [](Model& m) { EXPECT_EQ(m.beeperVolume, 3); }},
        {"GetBaudRate",
         Wire::SerialBinary,
         [](Model& m) { m.baudRateCode = 3; },
         [](const Facade& f) {
             SerialReaderBaudRate code{0x77};
             const ProtocolCommandResult result = f.GetBaudRate(code);
             EXPECT_EQ(code, SerialReaderBaudRate{3});
             return result;
         },
         {{0xFA, 0x0D, 0x01, 0x00, 0x00}}},
        {"SetBaudRate(4)",
         Wire::SerialBinary,
         nullptr,
         [](const Facade& f) { return f.SetBaudRate(SerialReaderBaudRate{4}); },
         {{0xFA, 0x0D, 0x81, 0x04, 0x00}},
         [](Model& m) { EXPECT_EQ(m.baudRateCode, 4); }},
        {"ConfigureModuleState(read, 5)",
         Wire::FeatureReport,
         [](Model& m) { m.moduleStates[5] = 2; },
         [](const Facade& f) {
             ReaderModuleState state{0x77};
             const ProtocolCommandResult result =
                 f.ConfigureModuleState(ReaderModuleAction::Read, ReaderModuleId{5}, state);
             EXPECT_EQ(state, ReaderModuleState{2});
             return result;
         },
         {Phrase({0x8C, 0x0B, 0x01, 0x05})}},
        {"ConfigureModuleState(set, 5, 3)",
         Wire::FeatureReport,
         nullptr,
         [](const Facade& f) {
             ReaderModuleState state{3};
             const ProtocolCommandResult result =
                 f.ConfigureModuleState(ReaderModuleAction::Set, ReaderModuleId{5}, state);
             EXPECT_EQ(state, ReaderModuleState{3});
             return result;
         },
         {Phrase({0x8C, 0x0B, 0x02, 0x05, 0x03})},
         [](Model& m) { EXPECT_EQ(m.moduleStates[5], 3); }},
        {"EnableTransparentMode(true)",
         Wire::FeatureReport,
         nullptr,
         [](const Facade& f) { return f.EnableTransparentMode(true); },
         {Phrase({0x8C, 0x80, 0x01})},
         [](Model& m) { EXPECT_EQ(m.transparentModeState, 1); }},
    };
    TavTest::RunFacadeRows(rows);
}

TEST(DeviceControlFacadeTest, FailuresAreRecordedAndLeaveTheCallersValuesAlone) {
    const auto commandFault = [](std::vector<uint8_t> prefix, TavSim::Fault fault) {
        return [=](SimulatedProtocolReader& device) { device.InjectFault(TavSim::FaultTrigger::OnCommand(prefix), fault); };
    };
    const std::vector<FacadeFailureRow> rows = {
        {"GetBeeperVolume", Wire::Mfp24, nullptr,
         [](const Facade& f) {
             BeepVolume volume{0x77};
             const ProtocolCommandResult result = f.GetBeeperVolume(volume);
             EXPECT_EQ(volume, BeepVolume{0x77});
             return result;
         },
         "This command is not yet supported with the MFP24 Protocol", "GetBeeperVolumeVisitor", true},
        {"GetBaudRate", Wire::FeatureReport, nullptr,
         [](const Facade& f) {
             SerialReaderBaudRate code{0x77};
             const ProtocolCommandResult result = f.GetBaudRate(code);
             EXPECT_EQ(code, SerialReaderBaudRate{0x77});
             return result;
         },
         "This command is not yet supported with the Feature Report Protocol", "GetBaudRateVisitor", true},
        {"ConfigureModuleState", Wire::SerialBinary, nullptr,
         [](const Facade& f) {
             ReaderModuleState state{4};
             const ProtocolCommandResult result =
                 f.ConfigureModuleState(ReaderModuleAction::Set, ReaderModuleId{1}, state);
             EXPECT_EQ(state, ReaderModuleState{4});
             return result;
         },
         "This command is not yet supported with the Serial Binary Protocol", "ConfigureModuleStateVisitor", true},
        {"Beep(6, short)", Wire::FeatureReport, nullptr,
         [](const Facade& f) { return f.Beep(6, BEEP_DURATION::Short); },
         "Only up to 5 short beeps, or 2 long beeps, can be produced.", "BeepVisitor", true},
        {"Beep with a refused status word", Wire::SerialBinary,
         commandFault({0xFA, 0x0C, 0x03}, TavSim::Fault::WrongStatusWord(0x6B00)),
         [](const Facade& f) { return f.Beep(1, BEEP_DURATION::Short); },
         "Beep command received error response: P1_OR_P2_INCORRECT", "BeepWithSerialBinaryProtocol"},
        {"SetBeeperVolume answered with an error packet", Wire::Mfp24,
         [](SimulatedProtocolReader& device) { device.Reader().Model()->mfp24ErrorPackets = {"BV"}; },
         [](const Facade& f) { return f.SetBeeperVolume(BeepVolume{1}); }, "Invalid response received",
         "SetBeeperVolumeWithMfp24Protocol"},
        {"ConfigureModuleState answered for another module", Wire::FeatureReport,
         commandFault({0x8C, 0x0B}, TavSim::Fault::CorruptByte(3, 0x09)),
         [](const Facade& f) {
             ReaderModuleState state{0x77};
             const ProtocolCommandResult result =
                 f.ConfigureModuleState(ReaderModuleAction::Read, ReaderModuleId{5}, state);
             EXPECT_EQ(state, ReaderModuleState{0x77});
             return result;
         },
         "Invalid response packet received from reader after ConfigureModuleState command. (Does the reader support "
         "this command?)",
         "ConfigureModuleStateWithFeatureReportProtocol"},
        {"EnableTransparentMode on a reader without it", Wire::FeatureReport,
         [](SimulatedProtocolReader& device) { device.Reader().Model()->transparentModeSupported = false; },
         [](const Facade& f) { return f.EnableTransparentMode(true); },
         "Transparent mode is not supported on this device.", "EnableTransparentModeWithFeatureReportProtocol"},
    };
    TavTest::RunFacadeFailureRows(rows);
}

}  // namespace
