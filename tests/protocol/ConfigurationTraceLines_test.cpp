#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/HidSeSamFirmwareVersion.h"
#include "common/ReaderConfiguration.h"
#include "common/ReaderConfigurationBlock4.h"
#include "common/ReaderConfigurationBlock5.h"
#include "records/ActiveConfigurationInformation.h"
#include "support/ChildProcess.h"
#include "support/FacadeOnSimulatedReader.h"
#include "support/LogCapture.h"
#include "support/ProtocolFailure.h"
#include "support/SimulatedProtocolReader.h"
#include "visitors/SetConfigurationBlock4Visitor.h"
#include "visitors/SetConfigurationBlock5Visitor.h"

namespace {

using namespace TavProtocol;
using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

// The logger reads its levels once, at load: these tests run again in a child whose protocol
// log is at trace, and make their checks there.
bool InTraceChild() {
    const char* level = std::getenv("TAV_PROTOCOL_LOG_LEVEL");
    return level != nullptr && std::string(level) == "trace";
}

void RunInTraceChild() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const TavTest::ChildResult child =
        TavTest::RunChild(std::filesystem::read_symlink("/proc/self/exe"),
                          {std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name()},
                          {{"TAV_PROTOCOL_LOG_LEVEL", "trace"}});
    EXPECT_EQ(child.exitCode, 0) << child.out << child.err;
    EXPECT_THAT(child.out, HasSubstr("[  PASSED  ] 1 test"));
}

std::vector<std::string> LinesWith(const TavTest::LogCapture& log, const std::string& text) {
    std::vector<std::string> lines;
    for (const std::string& message : log.Messages()) {
        if (message.find(text) != std::string::npos) {
            lines.push_back(message);
        }
    }
    return lines;
}

// A refused block can be read in the log: the writer logs it whole before it checks it. A reader
// that lacks the command refuses before that.
TEST(ConfigurationTraceLinesTest, BlockWritersLogTheBlockBeforeTheirChecks) {
    if (!InTraceChild()) {
        RunInTraceChild();
        return;
    }
    ReaderConfigurationBlock4 refused;
    refused.LeadingParityBig = 128;
    {
        const TavTest::LogCapture log;
        TavTest::SimulatedProtocolReader reader(1);
        SetConfigurationBlock4Visitor visitor(refused);
        EXPECT_FALSE(TavTest::CatchProtocolFailure([&] { reader.Run(visitor); }).message.empty());
        EXPECT_THAT(LinesWith(log, "ValidateArguments"),
                    ElementsAre(AllOf(StartsWith("[PROTOCOL] SetConfigurationBlock4Visitor::ValidateArguments() \n "),
                                      HasSubstr("LargeStripLeadingParityCount: 128"))));
    }
    {
        const TavTest::LogCapture log;
        TavTest::SimulatedProtocolReader reader(3);
        SetConfigurationBlock5Visitor visitor(ReaderConfigurationBlock5{255, 0xFFFF, 255, 255, 255, 255, 255});
        reader.Run(visitor);
        EXPECT_THAT(LinesWith(log, "ValidateArguments"),
                    ElementsAre(AllOf(StartsWith("[PROTOCOL] SetConfigurationBlock5Visitor::ValidateArguments() \n "),
                                      HasSubstr("CardType: 65535"))));
    }
    {
        const TavTest::LogCapture log;
        TavTest::SimulatedProtocolReader reader(2);
        SetConfigurationBlock4Visitor visitor(refused);
        EXPECT_EQ(TavTest::CatchProtocolFailure([&] { reader.Run(visitor); }).function, "Visit");
        EXPECT_THAT(LinesWith(log, "ValidateArguments"), IsEmpty());
    }
}

// Two lines log readers look for as they have always been written.
TEST(ConfigurationTraceLinesTest, FacadeLinesKeepTheirFamiliarForm) {
    if (!InTraceChild()) {
        RunInTraceChild();
        return;
    }
    TavTest::FacadeOnSimulatedReader reader(1);
    {
        const TavTest::LogCapture log;
        HidSeSamFirmwareVersion version;
        ASSERT_FALSE(reader.Facade().GetHidSeSamFirmwareVersion(version).HasException);
        EXPECT_THAT(log.Messages(), Contains("[PROTOCOL] Facade: GetHideSeSamFirmwareVersion"));
        EXPECT_THAT(LinesWith(log, "Returning result from RunCheckedFacadeFunction"), Not(IsEmpty()));
    }
    {
        const TavTest::LogCapture log;
        ActiveConfigurationInformation information{};
        ASSERT_FALSE(reader.Facade().GetActiveConfiguration(information).HasException);
        EXPECT_THAT(log.Messages(), Contains("[PROTOCOL] Facade: GetActiveConfiguration"));
        EXPECT_THAT(LinesWith(log, "Returning result from RunCheckedFacadeFunction"), IsEmpty());
    }
}

}  // namespace
