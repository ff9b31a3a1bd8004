#include "support/LogCapture.h"

#include <spdlog/logger.h>
#include <spdlog/sinks/base_sink.h>

#include <mutex>
#include <stdexcept>

#include "common/Logger.h"

namespace TavTest {

class LogCapture::Sink : public spdlog::sinks::base_sink<std::mutex> {
public:
    std::vector<Line> Lines() {
        std::lock_guard lock(mutex_);
        return lines_;
    }

protected:
    void sink_it_(const spdlog::details::log_msg& message) override {
        lines_.push_back(
            {static_cast<int>(message.level), std::string(message.payload.begin(), message.payload.end())});
    }
    void flush_() override {}

private:
    std::vector<Line> lines_;
};

LogCapture::LogCapture() : logger_(TavCommon::Logger::GetInstance()->ConsoleLogger()), sink_(std::make_shared<Sink>()) {
    if (!logger_) {
        throw std::runtime_error("the library's logger has no console logger to capture");
    }
    saved_ = logger_->sinks();
    logger_->sinks() = {sink_};
}

LogCapture::~LogCapture() { logger_->sinks() = saved_; }

std::vector<LogCapture::Line> LogCapture::Lines() const { return sink_->Lines(); }

std::vector<std::string> LogCapture::Messages() const {
    std::vector<std::string> messages;
    for (const auto& line : Lines()) {
        messages.push_back(line.message);
    }
    return messages;
}

}  // namespace TavTest
