#pragma once

#include <fmt/format.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace spdlog {
class logger;
namespace sinks {
class sink;
}
}  // namespace spdlog

namespace TavCommon {

// Log categories, each filtered by its own level variable.
inline constexpr std::string_view kTransportCategory = "TRANSPORT";
inline constexpr std::string_view kProtocolCategory = "PROTOCOL";
inline constexpr std::string_view kCommonCategory = "COMMON";
inline constexpr std::string_view kReaderCategory = "READER";

// Process-wide logger over spdlog: a console logger "TAV" and, when the environment asks, a file
// logger. Each category logs only at and above the level its environment variable names. Neither
// logger is entered in spdlog's registry, which belongs to the host.
//
// The formatting overloads test the level before building the message, so a call whose category
// is off costs neither formatting nor allocation.
class Logger {
public:
    using Holder = std::unique_ptr<Logger>;

    // Levels as spdlog numbers them.
    enum Level : int { TraceLevel = 0, DebugLevel, InfoLevel, WarnLevel, ErrorLevel, CriticalLevel };

    // The process-wide holder; the first call builds the logger, later calls ignore their arguments.
    static Holder& GetInstance(bool forceFile = false, bool console = true);
    // A separate logger; the process-wide one is left alone.
    static Holder Create(bool forceFile, bool console);
    // Internal, for tests and benchmarks: a separate logger whose console logger writes to the
    // given sink. Levels and the file logger still come from the environment.
    static Holder CreateWithSink(std::shared_ptr<spdlog::sinks::sink> sink);

    // Internal, for tests that capture what the library logs: the console logger, or null.
    const std::shared_ptr<spdlog::logger>& ConsoleLogger() const noexcept;

    ~Logger();
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    bool IsLevelEnabled(std::string_view category, int level) const noexcept;
    void Log(std::string_view category, std::string_view message, int level) const;

    static void Trace(const Holder& holder, std::string_view category, std::string_view message) {
        LogThrough(holder, category, message, TraceLevel);
    }
    static void Debug(const Holder& holder, std::string_view category, std::string_view message) {
        LogThrough(holder, category, message, DebugLevel);
    }
    static void Info(const Holder& holder, std::string_view category, std::string_view message) {
        LogThrough(holder, category, message, InfoLevel);
    }
    static void Warn(const Holder& holder, std::string_view category, std::string_view message) {
        LogThrough(holder, category, message, WarnLevel);
    }
    static void Error(const Holder& holder, std::string_view category, std::string_view message) {
        LogThrough(holder, category, message, ErrorLevel);
    }
    static void Critical(const Holder& holder, std::string_view category, std::string_view message) {
        LogThrough(holder, category, message, CriticalLevel);
    }

    template <typename Arg, typename... Args>
    static void Trace(const Holder& holder, std::string_view category, fmt::format_string<Arg, Args...> format,
                      Arg&& arg, Args&&... args) {
        LogFormatted(holder, category, TraceLevel, format, std::forward<Arg>(arg), std::forward<Args>(args)...);
    }
    template <typename Arg, typename... Args>
    static void Debug(const Holder& holder, std::string_view category, fmt::format_string<Arg, Args...> format,
                      Arg&& arg, Args&&... args) {
        LogFormatted(holder, category, DebugLevel, format, std::forward<Arg>(arg), std::forward<Args>(args)...);
    }
    template <typename Arg, typename... Args>
    static void Info(const Holder& holder, std::string_view category, fmt::format_string<Arg, Args...> format,
                     Arg&& arg, Args&&... args) {
        LogFormatted(holder, category, InfoLevel, format, std::forward<Arg>(arg), std::forward<Args>(args)...);
    }
    template <typename Arg, typename... Args>
    static void Warn(const Holder& holder, std::string_view category, fmt::format_string<Arg, Args...> format,
                     Arg&& arg, Args&&... args) {
        LogFormatted(holder, category, WarnLevel, format, std::forward<Arg>(arg), std::forward<Args>(args)...);
    }
    template <typename Arg, typename... Args>
    static void Error(const Holder& holder, std::string_view category, fmt::format_string<Arg, Args...> format,
                      Arg&& arg, Args&&... args) {
        LogFormatted(holder, category, ErrorLevel, format, std::forward<Arg>(arg), std::forward<Args>(args)...);
    }
    template <typename Arg, typename... Args>
    static void Critical(const Holder& holder, std::string_view category, fmt::format_string<Arg, Args...> format,
                         Arg&& arg, Args&&... args) {
        LogFormatted(holder, category, CriticalLevel, format, std::forward<Arg>(arg), std::forward<Args>(args)...);
    }

private:
    Logger(bool forceFile, bool console);

    static void LogThrough(const Holder& holder, std::string_view category, std::string_view message, int level) {
        if (holder && holder->IsLevelEnabled(category, level)) {
            holder->Log(category, message, level);
        }
    }

    template <typename... Args>
    static void LogFormatted(const Holder& holder, std::string_view category, int level,
                             fmt::format_string<Args...> format, Args&&... args) {
        if (holder && holder->IsLevelEnabled(category, level)) {
            holder->Log(category, fmt::format(format, std::forward<Args>(args)...), level);
        }
    }

    void Flush() const;
    static void FlushProcessLogger();

    std::shared_ptr<spdlog::logger> console_;
    std::shared_ptr<spdlog::logger> file_;
    std::map<std::string, std::string, std::less<>> categoryLevels_;
};

}  // namespace TavCommon
