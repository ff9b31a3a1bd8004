// Child process for the logging tests: the logger reads its environment once, when it is built.
//   log_probe                     logs one message per category and level ("[CATEGORY] level")
//   log_probe exit-while-logging  returns from main while another thread keeps logging
//   log_probe log-file-descriptor  prints "close-on-exec" or "inherited" for each descriptor open
//                                  on the file TAV_LOG_PATH names
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <thread>

#include "common/Logger.h"

namespace {

using TavCommon::Logger;

void LogEveryCategoryAndLevel(const Logger::Holder& logger) {
    using Call = void (*)(const Logger::Holder&, std::string_view, std::string_view);
    const std::array<std::pair<Call, std::string_view>, 6> levels{{
        {&Logger::Trace, "trace"},
        {&Logger::Debug, "debug"},
        {&Logger::Info, "info"},
        {&Logger::Warn, "warn"},
        {&Logger::Error, "error"},
        {&Logger::Critical, "critical"},
    }};
    for (const std::string_view category : {TavCommon::kTransportCategory, TavCommon::kProtocolCategory,
                                            TavCommon::kCommonCategory, TavCommon::kReaderCategory}) {
        for (const auto& [call, name] : levels) {
            call(logger, category, name);
        }
    }
}

int ExitWhileLogging(const Logger::Holder& logger) {
    static std::atomic<int> logged{0};
    std::thread([&logger] {
        for (int i = 0;; ++i) {
            Logger::Info(logger, TavCommon::kCommonCategory, "still logging {}", i);
            logged.fetch_add(1);
        }
    }).detach();
    while (logged.load() < 100) {
        std::this_thread::yield();
    }
    return 0;  // exit handlers run while the thread is still logging
}

int PrintLogFileDescriptors() {
    const std::filesystem::path logFile = std::filesystem::canonical(std::getenv("TAV_LOG_PATH"));
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (std::filesystem::read_symlink(entry.path(), error) == logFile) {
            const int flags = fcntl(std::stoi(entry.path().filename().string()), F_GETFD);
            std::puts((flags & FD_CLOEXEC) != 0 ? "close-on-exec" : "inherited");
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const Logger::Holder& logger = Logger::GetInstance();
    if (argc > 1 && std::strcmp(argv[1], "exit-while-logging") == 0) {
        return ExitWhileLogging(logger);
    }
    if (argc > 1 && std::strcmp(argv[1], "log-file-descriptor") == 0) {
        return PrintLogFileDescriptors();
    }
    LogEveryCategoryAndLevel(logger);
    return 0;
}
