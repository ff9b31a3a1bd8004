#pragma once

#include <memory>
#include <string>
#include <vector>

namespace spdlog {
class logger;
namespace sinks {
class sink;
}
}  // namespace spdlog

namespace TavTest {

// Collects what the library's console logger "TAV" writes while the object lives, instead of
// printing it. Only lines whose category the environment enabled reach it.
class LogCapture {
public:
    struct Line {
        int level;            // spdlog's numbering: 0 trace ... 5 critical
        std::string message;  // "[CATEGORY] text"
    };

    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<Line> Lines() const;
    // The messages alone, for matchers.
    std::vector<std::string> Messages() const;

private:
    class Sink;
    std::shared_ptr<spdlog::logger> logger_;
    std::vector<std::shared_ptr<spdlog::sinks::sink>> saved_;
    std::shared_ptr<Sink> sink_;
};

}  // namespace TavTest
