// A host that never closed its readers exits while a library thread still logs.
#include <gtest/gtest.h>

#include <sstream>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace {

TEST(LoggerExitTest, LoggingWhileTheProcessExitsIsHarmless) {
    const TavTest::TempDir work;
    for (const char* file : {"", "1"}) {
        const auto result =
            TavTest::RunChild(TavTest::TestProgram("log_probe"), {"exit-while-logging"},
                              {{"TAV_COMMON_LOG_LEVEL", "info"},
                               {"TAV_LOG_FILE", *file ? std::optional<std::string>(file) : std::nullopt}},
                              work.Path());
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.err, "");
        EXPECT_NE(result.out.find("[COMMON] still logging 99\n"), std::string::npos);
    }
}

}  // namespace
