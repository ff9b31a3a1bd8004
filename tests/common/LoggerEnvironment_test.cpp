// The logger reads its environment once, when it is built, so each case runs a child process.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/DigitPattern.h"
#include "support/TempDir.h"

namespace {

using TavTest::RunChild;
using TavTest::TempDir;
using Variables = std::map<std::string, std::optional<std::string>>;
using Lines = std::vector<std::string>;

// The probe's message for each level, and the name spdlog's layout gives that level.
constexpr std::array<const char*, 6> kMessages{"trace", "debug", "info", "warn", "error", "critical"};
constexpr std::array<const char*, 6> kSpdlogNames{"trace", "debug", "info", "warning", "error", "critical"};

// What the probe logs for one category when it admits levels from `lowest` up.
Lines Admitted(const std::string& category, int lowest) {
    Lines lines;
    for (int level = lowest; level < static_cast<int>(kMessages.size()); ++level) {
        lines.push_back(std::string("[") + kSpdlogNames[level] + "] [" + category + "] " + kMessages[level]);
    }
    return lines;
}

Lines Concat(std::initializer_list<Lines> parts) {
    Lines all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// Strips spdlog's default prefix (time with milliseconds, logger name); a line of any other
// shape is kept whole, so that the comparison shows it.
Lines Parse(const std::string& text, const std::string& loggerName) {
    const std::string_view time = "[####-##-## ##:##:##.###] ";
    const std::string name = "[" + loggerName + "] ";
    Lines lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        const std::string_view view(line);
        if (view.size() > time.size() + name.size() &&
            TavTest::MatchesDigitPattern(view.substr(0, time.size()), time) &&
            view.substr(time.size(), name.size()) == name) {
            lines.emplace_back(view.substr(time.size() + name.size()));
        } else {
            lines.push_back("unexpected line: " + line);
        }
    }
    return lines;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

TavTest::ChildResult RunProbe(const Variables& variables, const std::filesystem::path& workingDirectory) {
    return RunChild(TavTest::TestProgram("log_probe"), {}, variables, workingDirectory);
}

struct LevelCase {
    const char* name;
    Variables variables;
    Lines expected;

    friend void PrintTo(const LevelCase& c, std::ostream* out) { *out << c.name; }
};

class LoggerLevelTest : public testing::TestWithParam<LevelCase> {};

TEST_P(LoggerLevelTest, EachCategoryLogsAtAndAboveItsLevel) {
    const TempDir work;
    const auto result = RunProbe(GetParam().variables, work.Path());
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(Parse(result.out, "TAV"), GetParam().expected);
    EXPECT_FALSE(std::filesystem::exists(work.Path() / "logs")) << "no file logger was asked for";
}

INSTANTIATE_TEST_SUITE_P(
    Environment, LoggerLevelTest,
    testing::Values(LevelCase{"NothingSet", {}, {}},
                    LevelCase{"Transport", {{"TAV_TRANSPORT_LOG_LEVEL", "trace"}}, Admitted("TRANSPORT", 0)},
                    LevelCase{"ProtocolUpperCase", {{"TAV_PROTOCOL_LOG_LEVEL", "WARN"}}, Admitted("PROTOCOL", 3)},
                    LevelCase{"CommonMixedCase", {{"TAV_COMMON_LOG_LEVEL", "Debug"}}, Admitted("COMMON", 1)},
                    LevelCase{"Reader", {{"TAV_LOG_LEVEL", "critical"}}, Admitted("READER", 5)},
                    LevelCase{"EveryCategoryItsOwnLevel",
                              {{"TAV_TRANSPORT_LOG_LEVEL", "error"},
                               {"TAV_PROTOCOL_LOG_LEVEL", "info"},
                               {"TAV_COMMON_LOG_LEVEL", "critical"},
                               {"TAV_LOG_LEVEL", "trace"}},
                              Concat({Admitted("TRANSPORT", 4), Admitted("PROTOCOL", 2), Admitted("COMMON", 5),
                                      Admitted("READER", 0)})},
                    LevelCase{"UnknownNameSilences", {{"TAV_LOG_LEVEL", "verbose"}}, {}},
                    LevelCase{
                        "MisspelledNameSilences", {{"TAV_LOG_LEVEL", "warning"}, {"TAV_COMMON_LOG_LEVEL", "inf"}}, {}},
                    LevelCase{"EmptyNameSilences", {{"TAV_PROTOCOL_LOG_LEVEL", ""}}, {}},
                    LevelCase{"LogPathAloneMakesNoFile",
                              {{"TAV_LOG_PATH", "elsewhere.log"}, {"TAV_LOG_LEVEL", "error"}},
                              Admitted("READER", 4)}),
    [](const testing::TestParamInfo<LevelCase>& info) { return std::string(info.param.name); });

TEST(LoggerFileTest, DefaultFileIsAppendedToBesideTheConsole) {
    const TempDir work;
    std::filesystem::create_directory(work.Path() / "logs");
    std::ofstream(work.Path() / "logs" / "tav.log") << "earlier line\n";
    const Variables variables{{"TAV_LOG_FILE", "1"}, {"TAV_COMMON_LOG_LEVEL", "error"}};

    for (int run = 0; run < 2; ++run) {
        const auto result = RunProbe(variables, work.Path());
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(Parse(result.out, "TAV"), Admitted("COMMON", 4));
    }
    const std::string file = ReadFile(work.Path() / "logs" / "tav.log");
    ASSERT_EQ(file.rfind("earlier line\n", 0), 0u) << file;
    EXPECT_EQ(Parse(file.substr(13), "FileLogger"), Concat({Admitted("COMMON", 4), Admitted("COMMON", 4)}));
}

TEST(LoggerFileTest, DefaultFolderIsCreatedAndAnEmptyValueStillAsksForTheFile) {
    const TempDir work;
    const auto result = RunProbe({{"TAV_LOG_FILE", ""}, {"TAV_LOG_LEVEL", "critical"}}, work.Path());
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(Parse(ReadFile(work.Path() / "logs" / "tav.log"), "FileLogger"), Admitted("READER", 5));
}

TEST(LoggerFileTest, LogPathNamesTheFile) {
    const TempDir work;
    const auto path = work.Path() / "elsewhere" / "custom.log";
    const auto result = RunProbe(
        {{"TAV_LOG_FILE", "yes"}, {"TAV_LOG_PATH", path.string()}, {"TAV_TRANSPORT_LOG_LEVEL", "warn"}}, work.Path());
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(Parse(result.out, "TAV"), Admitted("TRANSPORT", 3));
    EXPECT_EQ(Parse(ReadFile(path), "FileLogger"), Admitted("TRANSPORT", 3));
    EXPECT_FALSE(std::filesystem::exists(work.Path() / "logs"));
}

TEST(LoggerFileTest, UnwritableLogPathKeepsTheProcessAndItsConsole) {
    const TempDir work;
    std::ofstream(work.Path() / "plain") << "a file, not a folder\n";
    const auto path = work.Path() / "plain" / "tav.log";
    const auto result =
        RunProbe({{"TAV_LOG_FILE", "1"}, {"TAV_LOG_PATH", path.string()}, {"TAV_LOG_LEVEL", "error"}}, work.Path());
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(Parse(result.out, "TAV"), Admitted("READER", 4));
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_THAT(result.err, testing::HasSubstr(path.string()));
}

TEST(LoggerFileTest, TheFileIsReadableByItsOwnerAloneAndStaysOutOfChildProcesses) {
    const TempDir work;
    const auto path = work.Path() / "private.log";
    const auto result = RunChild(TavTest::TestProgram("log_probe"), {"log-file-descriptor"},
                                 {{"TAV_LOG_FILE", "1"}, {"TAV_LOG_PATH", path.string()}}, work.Path());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "close-on-exec\n");
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

// The file is opened while the host loads, before its main: a path that is not a regular file
// must neither block there nor take the log lines.
TEST(LoggerFileTest, PathThatIsNoRegularFileFallsBackToTheConsoleAtOnce) {
    const TempDir work;
    const auto fifo = work.Path() / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        const char* name;
        std::filesystem::path path;
        bool fifoReader;
    };
    const Case cases[] = {
        {"FIFO nobody reads", fifo, false},
        {"FIFO with a reader", fifo, true},
        {"character device", "/dev/null", false},
        {"folder", work.Path(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int reader = c.fifoReader ? open(fifo.c_str(), O_RDONLY | O_NONBLOCK) : -1;
        const auto start = std::chrono::steady_clock::now();
        const auto result = RunProbe(
            {{"TAV_LOG_FILE", "1"}, {"TAV_LOG_PATH", c.path.string()}, {"TAV_LOG_LEVEL", "error"}}, work.Path());
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(Parse(result.out, "TAV"), Admitted("READER", 4));
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_THAT(result.err, testing::HasSubstr("'" + c.path.string() + "'"));
        if (reader != -1) {
            char byte = 0;
            EXPECT_LE(read(reader, &byte, 1), 0) << "the log lines went into the FIFO";
            close(reader);
        }
    }
}

}  // namespace
