#pragma once

#include <memory>

#include "common/TimeDelayFactory.h"
#include "support/RecordingTimeDelay.h"

namespace TavTest {

// Makes every delay the facade hands out a RecordingTimeDelay writing to one log, while it lives.
class ScopedTimeDelayOverride {
public:
    explicit ScopedTimeDelayOverride(std::shared_ptr<WaitLog> log = std::make_shared<WaitLog>()) : log_(log) {
        TavCommon::SetTimeDelayCreatorOverride(
            [log = std::move(log)] { return std::make_unique<RecordingTimeDelay>(log); });
    }
    ~ScopedTimeDelayOverride() { TavCommon::SetTimeDelayCreatorOverride(nullptr); }
    ScopedTimeDelayOverride(const ScopedTimeDelayOverride&) = delete;
    ScopedTimeDelayOverride& operator=(const ScopedTimeDelayOverride&) = delete;

    const WaitLog& Log() const { return *log_; }

private:
    std::shared_ptr<WaitLog> log_;
};

}  // namespace TavTest
