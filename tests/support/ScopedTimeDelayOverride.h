#pragma once

#include <memory>

#include "common/TimeDelayFactory.h"
#include "support/RecordingTimeDelay.h"
#include "support/Timeline.h"

namespace TavTest {

// Makes every delay the facade hands out a RecordingTimeDelay writing to one log, while it lives.
class ScopedTimeDelayOverride {
public:
    explicit ScopedTimeDelayOverride(std::shared_ptr<Timeline> log = std::make_shared<Timeline>()) : log_(log) {
        TavCommon::SetTimeDelayCreatorOverride(
            [log = std::move(log)] { return std::make_unique<RecordingTimeDelay>(log); });
    }
    ~ScopedTimeDelayOverride() { TavCommon::SetTimeDelayCreatorOverride(nullptr); }
    ScopedTimeDelayOverride(const ScopedTimeDelayOverride&) = delete;
    ScopedTimeDelayOverride& operator=(const ScopedTimeDelayOverride&) = delete;

    const Timeline& Log() const { return *log_; }

private:
    std::shared_ptr<Timeline> log_;
};

}  // namespace TavTest
