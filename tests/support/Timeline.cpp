#include "support/Timeline.h"

#include <fmt/format.h>

namespace TavTest {

namespace {

std::string PhraseLine(const char* what, const std::vector<uint8_t>& bytes) {
    std::string line = what;
    for (const uint8_t byte : bytes) {
        line += fmt::format(" {:02X}", byte);
    }
    return line;
}

}  // namespace

void Timeline::AddWait(RecordedWait wait) {
    const char* unit = wait.unit == RecordedWait::Unit::Seconds ? "s" : "ms";
    const std::lock_guard lock(mutex_);
    events_.push_back({wait, fmt::format("wait {} {}", wait.amount, unit), true});
}

void Timeline::AddSent(const std::vector<uint8_t>& phrase) {
    const std::lock_guard lock(mutex_);
    events_.push_back({{}, PhraseLine("sent", phrase), false});
}

void Timeline::AddReceived(const std::vector<uint8_t>& reply) {
    const std::lock_guard lock(mutex_);
    events_.push_back({{}, PhraseLine("received", reply), false});
}

void Timeline::Clear() {
    const std::lock_guard lock(mutex_);
    events_.clear();
}

std::vector<std::string> Timeline::Lines() const {
    const std::lock_guard lock(mutex_);
    std::vector<std::string> lines;
    lines.reserve(events_.size());
    for (const Event& event : events_) {
        lines.push_back(event.line);
    }
    return lines;
}

std::vector<std::string> Timeline::Steps() const {
    std::vector<std::string> steps = Lines();
    for (std::string& step : steps) {
        if (!step.starts_with("wait")) {
            step.erase(step.find(' ') == std::string::npos ? step.size() : step.find(' '));
        }
    }
    return steps;
}

std::vector<RecordedWait> Timeline::Waits() const {
    const std::lock_guard lock(mutex_);
    std::vector<RecordedWait> waits;
    for (const Event& event : events_) {
        if (event.isWait) {
            waits.push_back(event.wait);
        }
    }
    return waits;
}

long long Timeline::TotalMilliseconds() const {
    long long total = 0;
    for (const RecordedWait& wait : Waits()) {
        if (wait.amount > 0) {
            total += wait.unit == RecordedWait::Unit::Seconds ? 1000LL * wait.amount : wait.amount;
        }
    }
    return total;
}

}  // namespace TavTest
