// The facade's bootloader and firmware upgrade operations.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "FacadeCases.h"
#include "sim/Fault.h"
#include "support/SimulatedFeatureReportReader.h"
#include "support/TempDir.h"

namespace {

using namespace TavProtocol;
using TavTest::FacadeOnSimulatedReader;
using TavTest::FacadeFailureRow;
using TavTest::Phrase;
using TavTest::RecordedWait;
using TavTest::SimulatedProtocolReader;
using TavTest::Wire;
using Bytes = std::vector<uint8_t>;
using Facade = ProtocolFacade;

TEST(FirmwareFacadeTest, TheBootloaderTakesTheFirmwareFileLineByLine) {
    const TavTest::TempDir dir;
    const std::string path = (dir.Path() / "firmware.hex").string();
    // A data record of one byte and the end record.
    std::ofstream(path) << ":01000000AA55\n:00000001FF\n";

    FacadeOnSimulatedReader device(Wire::FeatureReport);
    ASSERT_TRUE(device.IsOpen());
    ProtocolCommandResult result = device.Facade().EnableBootloaderMode(BootloaderModule{1});
    ASSERT_FALSE(result.HasException) << result.Message;
    EXPECT_THAT(device.Sent(), testing::ElementsAre(Phrase({0xF0, 0x01})));
    ASSERT_FALSE(device.Waits().Waits().empty());
    EXPECT_EQ(device.Waits().Waits().front(), RecordedWait::Seconds(3));

    result = device.Facade().UpgradeFirmware(path.c_str());
    ASSERT_FALSE(result.HasException) << result.Message;
    const std::vector<Bytes> lines = device.Model()->firmwareLines;
    ASSERT_GE(lines.size(), 2U);
    EXPECT_EQ(lines[0], (Bytes{0x01, 0x00, 0x00, 0x00, 0xAA, 0x55}));
    EXPECT_EQ(lines[1], (Bytes{0x00, 0x00, 0x00, 0x01, 0xFF}));
    EXPECT_EQ(device.Sent()[1], (Bytes{0x06, 0x01, 0x00, 0x00, 0x00, 0xAA, 0x55}));
}

// Constructing the path from a null pointer is undefined: the facade refuses it as the standard
// library's own check would, before any visitor runs.
TEST(FirmwareFacadeTest, ANullPathIsAStandardExceptionAndSendsNothing) {
    FacadeOnSimulatedReader device(Wire::FeatureReport);
    ASSERT_TRUE(device.IsOpen());
    const ProtocolCommandResult result = device.Facade().UpgradeFirmware(nullptr);
    EXPECT_TRUE(result.HasException);
    EXPECT_STREQ(result.ExceptionType, "StdException");
    EXPECT_STREQ(result.Message,
                 "Unknown exception occurred within C++ code. This is not an Elvarin exception. Message: "
                 "'basic_string: construction from null is not valid'");
    EXPECT_STREQ(result.File, "Unknown");
    EXPECT_EQ(result.Line, -1);
    EXPECT_TRUE(device.Sent().empty());
}

TEST(FirmwareFacadeTest, FailuresAreRecorded) {
    const std::vector<FacadeFailureRow> rows = {
        {"EnableBootloaderMode", Wire::Mfp24, nullptr,
         [](const Facade& f) { return f.EnableBootloaderMode(BootloaderModule{0}); },
         "EnableBootloaderMode is not supported for the MFP24 protocol.", "EnableBootloaderModeVisitor", true},
        {"UpgradeFirmware", Wire::SerialBinary, nullptr,
         [](const Facade& f) { return f.UpgradeFirmware("/nonexistent/firmware.hex"); },
         "UpgradeFirmware is not supported for the Serial Binary protocol.", "UpgradeFirmwareVisitor", true},
        {"EnableBootloaderMode(3)", Wire::FeatureReport, nullptr,
         [](const Facade& f) { return f.EnableBootloaderMode(BootloaderModule{3}); },
         "Invalid bootloader module specified.", "EnableBootloaderModeVisitor", true},
        {"UpgradeFirmware of a missing file", Wire::FeatureReport, nullptr,
         [](const Facade& f) { return f.UpgradeFirmware("/nonexistent/firmware.hex"); },
         "File /nonexistent/firmware.hex does not exist or is not accessible.", "UpgradeFirmwareVisitor", true},
        {"EnableBootloaderMode unanswered", Wire::FeatureReport,
         [](SimulatedProtocolReader& device) {
             device.InjectFault(TavSim::FaultTrigger::OnCommand({0xF0}), TavSim::Fault::NoReply());
         },
         [](const Facade& f) { return f.EnableBootloaderMode(BootloaderModule{0}); },
         "Result parsing of EnableBootloaderMode failed because the command did not receive a response from the "
         "reader.",
         "EnableBootloaderModeWithFeatureReportProtocol"},
    };
    TavTest::RunFacadeFailureRows(rows);
}

}  // namespace
