#include "common/Logger.h"

#include <gtest/gtest.h>
#include <spdlog/sinks/ostream_sink.h>
#include <spdlog/spdlog.h>

#include <fstream>
#include <sstream>

#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

namespace {

using TavCommon::Logger;

// Counts how often it is formatted, to show that a call below the level builds no message.
struct Counted {
    static inline int formatted = 0;
};

}  // namespace

template <>
struct fmt::formatter<Counted> : fmt::formatter<std::string_view> {
    auto format(const Counted&, fmt::format_context& context) const {
        ++Counted::formatted;
        return fmt::formatter<std::string_view>::format("counted", context);
    }
};

namespace {

class CapturedLoggerTest : public testing::Test {
protected:
    CapturedLoggerTest() {
        const TavTest::ScopedEnvironment environment({{"TAV_COMMON_LOG_LEVEL", "info"},
                                                      {"TAV_PROTOCOL_LOG_LEVEL", std::nullopt},
                                                      {"TAV_LOG_FILE", std::nullopt}});
        auto sink = std::make_shared<spdlog::sinks::ostream_sink_st>(text_);
        sink->set_pattern("%l %v");
        logger_ = Logger::CreateWithSink(sink);
        Counted::formatted = 0;
    }

    std::ostringstream text_;
    Logger::Holder logger_;
};

TEST_F(CapturedLoggerTest, CallBelowTheLevelOrInASilentCategoryFormatsNothing) {
    Logger::Debug(logger_, TavCommon::kCommonCategory, "value {}", Counted{});
    Logger::Critical(logger_, TavCommon::kProtocolCategory, "value {}", Counted{});
    EXPECT_EQ(Counted::formatted, 0);
    EXPECT_EQ(text_.str(), "");

    Logger::Info(logger_, TavCommon::kCommonCategory, "value {}", Counted{});
    EXPECT_EQ(Counted::formatted, 1);
    EXPECT_EQ(text_.str(), "info [COMMON] value counted\n");
}

TEST_F(CapturedLoggerTest, BracesInTextsAreWrittenAsTheyAre) {
    Logger::Warn(logger_, TavCommon::kCommonCategory, "plain {} and {0} and {:x}");
    Logger::Error(logger_, TavCommon::kCommonCategory, "argument {}", std::string("{not a format}"));
    EXPECT_EQ(text_.str(),
              "warning [COMMON] plain {} and {0} and {:x}\n"
              "error [COMMON] argument {not a format}\n");
}

TEST(LoggerCreateTest, SeparateLoggersLiveBesideTheProcessWideOne) {
    const Logger::Holder& processWide = Logger::GetInstance();
    ASSERT_TRUE(processWide);
    const auto console = processWide->ConsoleLogger();
    ASSERT_NE(console, nullptr);

    const TavTest::TempDir work;
    const auto path = work.Path() / "separate.log";
    {
        const TavTest::ScopedEnvironment environment({{"TAV_LOG_PATH", path.string()}, {"TAV_LOG_LEVEL", "info"}});
        // Two at once, under the same names.
        Logger::Holder first = Logger::Create(true, false);
        Logger::Holder second = Logger::Create(true, true);
        ASSERT_TRUE(first && second);
        Logger::Info(first, TavCommon::kReaderCategory, "first");
        Logger::Info(second, TavCommon::kReaderCategory, "second");
    }

    std::ifstream file(path);
    std::stringstream content;
    content << file.rdbuf();
    EXPECT_NE(content.str().find("[FileLogger] [info] [READER] first\n"), std::string::npos) << content.str();
    EXPECT_NE(content.str().find("[FileLogger] [info] [READER] second\n"), std::string::npos) << content.str();
    // Destroying them left the process-wide logger alone, and none of them entered spdlog's
    // registry, where the host's own loggers live.
    EXPECT_EQ(processWide->ConsoleLogger(), console);
    EXPECT_EQ(&Logger::GetInstance(), &processWide);
    EXPECT_EQ(spdlog::get("TAV"), nullptr);
    EXPECT_EQ(spdlog::get("FileLogger"), nullptr);
}

}  // namespace
