#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "common/TimeDelay.h"

namespace TavTest {

// One wait a command asked for.
struct RecordedWait {
    enum class Unit { Milliseconds, Seconds };
    Unit unit;
    int amount;
    bool operator==(const RecordedWait&) const = default;

    static RecordedWait Milliseconds(int amount) { return {Unit::Milliseconds, amount}; }
    static RecordedWait Seconds(int amount) { return {Unit::Seconds, amount}; }
};

// The waits one RecordingTimeDelay was asked for; shared, so a test can read them after the
// command that owned the delay is gone.
class WaitLog {
public:
    void Add(RecordedWait wait);
    std::vector<RecordedWait> Waits() const;
    // Everything asked for, in milliseconds.
    long long TotalMilliseconds() const;

private:
    mutable std::mutex mutex_;
    std::vector<RecordedWait> waits_;
};

// A TimeDelay that records each wait and returns at once.
class RecordingTimeDelay : public TavCommon::TimeDelay {
public:
    RecordingTimeDelay() : log_(std::make_shared<WaitLog>()) {}
    explicit RecordingTimeDelay(std::shared_ptr<WaitLog> log) : log_(std::move(log)) {}

    void DelayMilliseconds(int milliseconds) override { log_->Add(RecordedWait::Milliseconds(milliseconds)); }
    void DelaySeconds(int seconds) override { log_->Add(RecordedWait::Seconds(seconds)); }

    const std::shared_ptr<WaitLog>& Log() const { return log_; }

private:
    std::shared_ptr<WaitLog> log_;
};

}  // namespace TavTest
