#include "common/Logger.h"

#include <fcntl.h>
#include <spdlog/logger.h>
#include <spdlog/sinks/stdout_color_sinks.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "common/DescriptorFileSink.h"
#include "common/Environment.h"
#include "common/StringUtils.h"

namespace TavCommon {

namespace {

constexpr const char* kConsoleLoggerName = "TAV";
constexpr const char* kFileLoggerName = "FileLogger";
constexpr const char* kDefaultLogPath = "logs/tav.log";

// Level name -> lowest level it admits.
constexpr std::array<std::pair<std::string_view, int>, 6> kLevelNames{{
    {"trace", 0},
    {"debug", 1},
    {"info", 2},
    {"warn", 3},
    {"error", 4},
    {"critical", 5},
}};

constexpr std::array<std::pair<const char*, std::string_view>, 4> kLevelVariables{{
    {"TAV_TRANSPORT_LOG_LEVEL", kTransportCategory},
    {"TAV_PROTOCOL_LOG_LEVEL", kProtocolCategory},
    {"TAV_COMMON_LOG_LEVEL", kCommonCategory},
    {"TAV_LOG_LEVEL", kReaderCategory},
}};

// Never registered with spdlog: the registry belongs to the host, whose own loggers we must not
// meet by name, change or drop.
std::shared_ptr<spdlog::logger> MakeConsoleLogger() {
    auto sink = std::make_shared<spdlog::sinks::stdout_color_sink_mt>(spdlog::color_mode::automatic);
    return std::make_shared<spdlog::logger>(kConsoleLoggerName, std::move(sink));
}

// The file is opened while the library loads, before the host's main: a FIFO must not block
// there, the descriptor must not leak into the host's children, and trace lines carry card bytes
// that other users must not read. Only a regular file is taken.
std::shared_ptr<spdlog::logger> MakeFileLogger(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) {
        std::error_code ignored;  // open() below reports what matters
        std::filesystem::create_directories(folder, ignored);
    }
    int descriptor;
    do {
        descriptor = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0600);
    } while (descriptor == -1 && errno == EINTR);
    if (descriptor == -1) {
        throw std::system_error(errno, std::generic_category());
    }
    struct stat status {};
    if (::fstat(descriptor, &status) == -1 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        throw std::runtime_error("not a regular file");
    }
    std::shared_ptr<DescriptorFileSink> sink;
    try {
        sink = std::make_shared<DescriptorFileSink>(descriptor);
    } catch (...) {
        ::close(descriptor);
        throw;
    }
    return std::make_shared<spdlog::logger>(kFileLoggerName, std::move(sink));
}

}  // namespace

Logger::Logger(bool forceFile, bool console) {
    if (console) {
        console_ = MakeConsoleLogger();
        console_->set_level(spdlog::level::trace);
    }
    if (forceFile || IsEnvironmentVariableSet("TAV_LOG_FILE")) {
        const std::string path =
            IsEnvironmentVariableSet("TAV_LOG_PATH") ? GetEnvironmentVariable("TAV_LOG_PATH") : kDefaultLogPath;
        try {
            file_ = MakeFileLogger(path);
            file_->set_level(spdlog::level::trace);
        } catch (const std::exception& error) {
            // The logger is built while the library loads, where nobody could catch this: say it once
            // and go on with the console alone rather than terminate the host.
            std::fprintf(stderr, "Tavelin: cannot open log file '%s' (%s); logging to the console only\n", path.c_str(),
                         error.what());
        }
    }
    for (const auto& [variable, category] : kLevelVariables) {
        if (IsEnvironmentVariableSet(variable)) {
            categoryLevels_.emplace(std::string(category), StringUtils::ToLower(GetEnvironmentVariable(variable)));
        }
    }
}

Logger::~Logger() { Flush(); }

Logger::Holder& Logger::GetInstance(bool forceFile, bool console) {
    // Never destroyed: a host thread may still log while the process exits. At exit, and at
    // unload (the handler belongs to this library), our own loggers are flushed and nothing else.
    static Holder* const holder = [&] {
        auto* created = new Holder(new Logger(forceFile, console));
        std::atexit(&Logger::FlushProcessLogger);
        return created;
    }();
    return *holder;
}

Logger::Holder Logger::Create(bool forceFile, bool console) { return Holder(new Logger(forceFile, console)); }

Logger::Holder Logger::CreateWithSink(std::shared_ptr<spdlog::sinks::sink> sink) {
    Holder logger(new Logger(false, false));
    logger->console_ = std::make_shared<spdlog::logger>(kConsoleLoggerName, std::move(sink));
    logger->console_->set_level(spdlog::level::trace);
    return logger;
}

void Logger::FlushProcessLogger() {
    const Holder& holder = GetInstance();
    if (holder) {
        holder->Flush();
    }
}

const std::shared_ptr<spdlog::logger>& Logger::ConsoleLogger() const noexcept { return console_; }

void Logger::Flush() const {
    if (console_) {
        console_->flush();
    }
    if (file_) {
        file_->flush();
    }
}

bool Logger::IsLevelEnabled(std::string_view category, int level) const noexcept {
    const auto found = categoryLevels_.find(category);
    if (found == categoryLevels_.end()) {
        return false;
    }
    for (const auto& [name, lowest] : kLevelNames) {
        if (name == found->second) {
            return level >= lowest && level <= CriticalLevel;
        }
    }
    return false;
}

void Logger::Log(std::string_view category, std::string_view message, int level) const {
    if (!IsLevelEnabled(category, level)) {
        return;
    }
    const std::string text = fmt::format("[{}] {}", category, message);
    const auto spdlogLevel = static_cast<spdlog::level::level_enum>(level);
    if (console_) {
        console_->log(spdlogLevel, text);
    }
    if (file_) {
        file_->log(spdlogLevel, text);
    }
}

}  // namespace TavCommon
