// The library lives in someone else's process: the host's own spdlog loggers keep working after
// the library is unloaded and while the process exits.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/ChildProcess.h"

namespace {

struct HostCase {
    const char* mode;
    std::vector<std::string> lastLines;
};

TEST(LoggerHostTest, TheHostsOwnLoggersOutliveTheLibrary) {
    // Memory the library keeps for the life of the process is left behind when it is unloaded.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::string asanOptions = std::string(asan != nullptr ? asan : "") + ":detect_leaks=0";
    const HostCase cases[] = {
        {"unload", {"default logger after unloading", "named logger after unloading"}},
        {"exit", {"default logger at exit", "named logger at exit"}},
    };
    for (const HostCase& c : cases) {
        SCOPED_TRACE(c.mode);
        const auto result = TavTest::RunChild(TavTest::TestProgram("spdlog_host"), {c.mode},
                                              {{"TAV_LOG_LEVEL", "trace"}, {"ASAN_OPTIONS", asanOptions}});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.err, "");
        for (const std::string& line : c.lastLines) {
            EXPECT_THAT(result.out, testing::HasSubstr("[host] [info] " + line + "\n"));
        }
    }
}

}  // namespace
