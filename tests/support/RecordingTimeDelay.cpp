#include "support/RecordingTimeDelay.h"

namespace TavTest {

void WaitLog::Add(RecordedWait wait) {
    const std::lock_guard lock(mutex_);
    waits_.push_back(wait);
}

std::vector<RecordedWait> WaitLog::Waits() const {
    const std::lock_guard lock(mutex_);
    return waits_;
}

long long WaitLog::TotalMilliseconds() const {
    const std::lock_guard lock(mutex_);
    long long total = 0;
    for (const RecordedWait& wait : waits_) {
        if (wait.amount > 0) {
            total += wait.unit == RecordedWait::Unit::Seconds ? 1000LL * wait.amount : wait.amount;
        }
    }
    return total;
}

}  // namespace TavTest
