// Beeper, baud-rate, module-state and transparent-mode visitors against the simulated reader.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/Fault.h"
#include "support/SimulatedProtocolReader.h"
#include "visitors/BeepVisitor.h"
#include "visitors/ConfigureModuleStateVisitor.h"
#include "visitors/GetBeeperVolumeVisitor.h"
#include "visitors/SetBaudRateVisitor.h"
#include "visitors/SetBeeperVolumeVisitor.h"

namespace {

using namespace TavProtocol;
using TavTest::ProtocolFailure;
using TavTest::SimulatedProtocolReader;
using TavTest::Wire;

constexpr const char* kTooManyLong = "When creating long beeps, only 1 or 2 beeps are allowed.";
constexpr const char* kTooManyShort = "Only up to 5 short beeps, or 2 long beeps, can be produced.";
constexpr const char* kNoBeeps = "A count of 0 beeps does not make sense.";

// An argument at one end of its range: accepted (no message; the command goes out) or refused
// with its message before anything is sent.
struct BoundaryRow {
    std::string name;
    Wire wire;
    const char* visitor;
    std::function<std::unique_ptr<CommandVisitor>()> make;
    std::string refusal;
};

std::function<std::unique_ptr<CommandVisitor>()> Beep(int32_t count, uint8_t duration) {
    return [=] { return std::make_unique<BeepVisitor>(count, static_cast<BEEP_DURATION>(duration)); };
}

std::function<std::unique_ptr<CommandVisitor>()> Volume(uint8_t volume) {
    return [=] { return std::make_unique<SetBeeperVolumeVisitor>(BeepVolume{volume}); };
}

std::function<std::unique_ptr<CommandVisitor>()> Baud(uint8_t code) {
    return [=] { return std::make_unique<SetBaudRateVisitor>(SerialReaderBaudRate{code}); };
}

std::function<std::unique_ptr<CommandVisitor>()> Module(uint8_t action, uint8_t module, uint8_t state) {
    return [=] {
        return std::make_unique<ConfigureModuleStateVisitor>(static_cast<ReaderModuleAction>(action),
                                                             ReaderModuleId{module}, ReaderModuleState{state});
    };
}

TEST(DeviceControlVisitorTest, ArgumentChecksAtTheirBoundaries) {
    const std::vector<BoundaryRow> rows = {
        {"5 short beeps", Wire::FeatureReport, "BeepVisitor", Beep(5, 0), ""},
        {"6 short beeps", Wire::FeatureReport, "BeepVisitor", Beep(6, 0), kTooManyShort},
        {"2 long beeps", Wire::FeatureReport, "BeepVisitor", Beep(2, 1), ""},
        {"3 long beeps", Wire::FeatureReport, "BeepVisitor", Beep(3, 1), kTooManyLong},
        {"0 short beeps", Wire::FeatureReport, "BeepVisitor", Beep(0, 0), kNoBeeps},
        {"0 long beeps", Wire::FeatureReport, "BeepVisitor", Beep(0, 1), kNoBeeps},
        {"-1 beeps", Wire::SerialBinary, "BeepVisitor", Beep(-1, 0), kNoBeeps},
        {"5 beeps of duration 2 are short", Wire::Mfp24, "BeepVisitor", Beep(5, 2), ""},
        {"6 beeps of duration 2 are short", Wire::Mfp24, "BeepVisitor", Beep(6, 2), kTooManyShort},
        {"volume 3", Wire::FeatureReport, "SetBeeperVolumeVisitor", Volume(3), ""},
        {"volume 4", Wire::FeatureReport, "SetBeeperVolumeVisitor", Volume(4), "Beep volume is out of range"},
        {"volume 3", Wire::Mfp24, "SetBeeperVolumeVisitor", Volume(3), ""},
        {"volume 4", Wire::Mfp24, "SetBeeperVolumeVisitor", Volume(4), "Beep volume is out of range"},
        {"volume 3", Wire::SerialBinary, "SetBeeperVolumeVisitor", Volume(3), ""},
        {"volume 4", Wire::SerialBinary, "SetBeeperVolumeVisitor", Volume(4), "Beep volume is out of range"},
        {"baud-rate code 4", Wire::SerialBinary, "SetBaudRateVisitor", Baud(4), ""},
        {"baud-rate code 5", Wire::SerialBinary, "SetBaudRateVisitor", Baud(5),
         "Invalid baud rate specified for SetBaudRate command: 0x5"},
        {"baud-rate code 255", Wire::SerialBinary, "SetBaudRateVisitor", Baud(255),
         "Invalid baud rate specified for SetBaudRate command: 0xFF"},
        {"read of module 1 with state 0", Wire::FeatureReport, "ConfigureModuleStateVisitor", Module(1, 1, 0), ""},
        {"set of module 1 to state 0", Wire::FeatureReport, "ConfigureModuleStateVisitor", Module(2, 1, 0),
         "Invalid ReaderModuleState."},
        {"set of module 1 to state 1", Wire::FeatureReport, "ConfigureModuleStateVisitor", Module(2, 1, 1), ""},
        {"read of module 0", Wire::FeatureReport, "ConfigureModuleStateVisitor", Module(1, 0, 1), "Invalid ModuleId."},
        // The action goes to the reader unchecked: only a set needs a state.
        {"action 7 with state 0", Wire::FeatureReport, "ConfigureModuleStateVisitor", Module(7, 1, 0), ""},
    };
    for (const BoundaryRow& row : rows) {
        SCOPED_TRACE(row.name + " on " + TavTest::WireName(row.wire));
        SimulatedProtocolReader device(row.wire);
        const std::unique_ptr<CommandVisitor> visitor = row.make();
        const ProtocolFailure raised = TavTest::RunCatching(device, *visitor);
        if (row.refusal.empty()) {
            EXPECT_EQ(raised, ProtocolFailure{});
            EXPECT_EQ(device.Sent().size(), 1U);
        } else {
            EXPECT_EQ(raised, (ProtocolFailure{row.refusal, row.visitor, "ValidateArguments"}));
            EXPECT_TRUE(device.Sent().empty());
        }
    }
}

TEST(DeviceControlVisitorTest, AnMfp24ErrorPacketIsNotASuccessfulBeep) {
    SimulatedProtocolReader device(Wire::Mfp24);
    device.Reader().Model()->mfp24ErrorPackets = {"BS"};
    BeepVisitor visitor(2, BEEP_DURATION::Short);
    EXPECT_EQ(TavTest::RunCatching(device, visitor), (ProtocolFailure{"Invalid response from reader beep command.",
                                                                     "BeepWithMfp24Protocol", "ValidateResponse"}));
    EXPECT_TRUE(device.Reader().Model()->beeps.empty());
}

// The feature-report reader's answers to a beep and to a volume read carry nothing to check.
TEST(DeviceControlVisitorTest, FeatureReportBeepAndVolumeReadTakeAnyReply) {
    SimulatedProtocolReader device(Wire::FeatureReport);
    device.Reader().Model()->beeperVolume = 2;
    device.InjectFault(TavSim::FaultTrigger::OnCommand({0x8C}), TavSim::Fault::CorruptByte(0, 0x00));
    BeepVisitor beep(1, BEEP_DURATION::Long);
    EXPECT_EQ(TavTest::RunCatching(device, beep), ProtocolFailure{});
    GetBeeperVolumeVisitor volume;
    EXPECT_EQ(TavTest::RunCatching(device, volume), ProtocolFailure{});
    EXPECT_EQ(volume.GetResult(), BeepVolume{2});
}

}  // namespace
