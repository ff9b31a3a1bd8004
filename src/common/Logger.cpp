#include "common/Logger.h"

#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/sinks/stdout_color_sinks.h>
#include <spdlog/spdlog.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <utility>

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

std::shared_ptr<spdlog::logger> MakeConsoleLogger(bool registered) {
    if (registered) {
        try {
            return spdlog::stdout_color_mt(kConsoleLoggerName, spdlog::color_mode::automatic);
        } catch (const spdlog::spdlog_ex&) {
            // A logger of that name is already registered (by the host): use an unregistered one.
        }
    }
    auto sink = std::make_shared<spdlog::sinks::stdout_color_sink_mt>(spdlog::color_mode::automatic);
    return std::make_shared<spdlog::logger>(kConsoleLoggerName, std::move(sink));
}

std::shared_ptr<spdlog::logger> MakeFileLogger(bool registered, const std::string& path) {
    if (registered) {
        try {
            return spdlog::basic_logger_mt(kFileLoggerName, path, false);
        } catch (const spdlog::spdlog_ex&) {
            if (spdlog::get(kFileLoggerName) == nullptr) {
                throw;
            }
        }
    }
    auto sink = std::make_shared<spdlog::sinks::basic_file_sink_mt>(path, false);
    return std::make_shared<spdlog::logger>(kFileLoggerName, std::move(sink));
}

}  // namespace

Logger::Logger(bool forceFile, bool console, bool registered) {
    if (console) {
        console_ = MakeConsoleLogger(registered);
        console_->set_level(spdlog::level::trace);
    }
    if (forceFile || IsEnvironmentVariableSet("TAV_LOG_FILE")) {
        const std::string path =
            IsEnvironmentVariableSet("TAV_LOG_PATH") ? GetEnvironmentVariable("TAV_LOG_PATH") : kDefaultLogPath;
        try {
            file_ = MakeFileLogger(registered, path);
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
    // Never destroyed: a host thread may still log while the process exits. The exit handler
    // flushes and shuts spdlog down; the loggers stay alive through our own references.
    static Holder* const holder = [&] {
        auto* created = new Holder(new Logger(forceFile, console, true));
        std::atexit(&Logger::ShutDownProcessLogger);
        return created;
    }();
    return *holder;
}

Logger::Holder Logger::Create(bool forceFile, bool console) { return Holder(new Logger(forceFile, console, false)); }

Logger::Holder Logger::CreateWithSink(std::shared_ptr<spdlog::sinks::sink> sink) {
    Holder logger(new Logger(false, false, false));
    logger->console_ = std::make_shared<spdlog::logger>(kConsoleLoggerName, std::move(sink));
    logger->console_->set_level(spdlog::level::trace);
    return logger;
}

void Logger::ShutDownProcessLogger() {
    const Holder& holder = GetInstance();
    if (holder) {
        holder->Flush();
    }
    spdlog::drop_all();
    spdlog::shutdown();
}

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
