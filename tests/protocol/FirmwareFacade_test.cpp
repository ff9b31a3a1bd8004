// The facade's bootloader and firmware upgrade operations.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "FacadeBench.h"
#include "sim/Fault.h"
#include "support/SimulatedFeatureReportReader.h"
#include "support/TempDir.h"

namespace {

using namespace TavProtocol;
using TavTest::FacadeBench;
using TavTest::FacadeFailureRow;
using TavTest::Phrase;
using TavTest::RecordedWait;
using TavTest::VisitorBench;
using TavTest::Wire;
using Bytes = std::vector<uint8_t>;
using Facade = ProtocolFacade;

TEST(FirmwareFacadeTest, TheBootloaderTakesTheFirmwareFileLineByLine) {
    const TavTest::TempDir dir;
    const std::string path = (dir.Path() / "firmware.hex").string();
    // A data record of one byte and the end record.
    std::ofstream(path) << ":01000000AA55\n:00000001FF\n";

    FacadeBench bench(Wire::FeatureReport);
    ASSERT_TRUE(bench.IsOpen());
    ProtocolCommandResult result = bench.Facade().EnableBootloaderMode(BootloaderModule{1});
    ASSERT_FALSE(result.HasException) << result.Message;
    EXPECT_THAT(bench.Sent(), testing::ElementsAre(Phrase({0xF0, 0x01})));
    ASSERT_FALSE(bench.Waits().Waits().empty());
    EXPECT_EQ(bench.Waits().Waits().front(), RecordedWait::Seconds(3));

    result = bench.Facade().UpgradeFirmware(path.c_str());
    ASSERT_FALSE(result.HasException) << result.Message;
    const std::vector<Bytes> lines = bench.Model()->firmwareLines;
    ASSERT_GE(lines.size(), 2U);
    EXPECT_EQ(lines[0], (Bytes{0x01, 0x00, 0x00, 0x00, 0xAA, 0x55}));
    EXPECT_EQ(lines[1], (Bytes{0x00, 0x00, 0x00, 0x01, 0xFF}));
    EXPECT_EQ(bench.Sent()[1], (Bytes{0x06, 0x01, 0x00, 0x00, 0x00, 0xAA, 0x55}));
}

// Constructing the path from a null pointer is undefined: the facade refuses it as the standard
// library's own check would, before any visitor runs.
TEST(FirmwareFacadeTest, ANullPathIsAStandardExceptionAndSendsNothing) {
    FacadeBench bench(Wire::FeatureReport);
    ASSERT_TRUE(bench.IsOpen());
    const ProtocolCommandResult result = bench.Facade().UpgradeFirmware(nullptr);
    EXPECT_TRUE(result.HasException);
    EXPECT_STREQ(result.ExceptionType, "StdException");
    EXPECT_STREQ(result.Message,
                 "Unknown exception occurred within C++ code. This is not an Elvarin exception. Message: "
                 "'basic_string: construction from null is not valid'");
    EXPECT_STREQ(result.File, "Unknown");
    EXPECT_EQ(result.Line, -1);
    EXPECT_TRUE(bench.Sent().empty());
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
         [](VisitorBench& bench) {
             bench.InjectFault(TavSim::FaultTrigger::OnCommand({0xF0}), TavSim::Fault::NoReply());
         },
         [](const Facade& f) { return f.EnableBootloaderMode(BootloaderModule{0}); },
         "Result parsing of EnableBootloaderMode failed because the command did not receive a response from the "
         "reader.",
         "EnableBootloaderModeWithFeatureReportProtocol"},
    };
    TavTest::RunFacadeFailureRows(rows);
}

}  // namespace
