#pragma once

#include <memory>

#include "common/TimeDelay.h"
#include "support/Timeline.h"

namespace TavTest {

// A TimeDelay that records each wait on its timeline and returns at once.
class RecordingTimeDelay : public TavCommon::TimeDelay {
public:
    RecordingTimeDelay() : log_(std::make_shared<Timeline>()) {}
    explicit RecordingTimeDelay(std::shared_ptr<Timeline> log) : log_(std::move(log)) {}

    void DelayMilliseconds(int milliseconds) override { log_->AddWait(RecordedWait::Milliseconds(milliseconds)); }
    void DelaySeconds(int seconds) override { log_->AddWait(RecordedWait::Seconds(seconds)); }

    const std::shared_ptr<Timeline>& Log() const { return log_; }

private:
    std::shared_ptr<Timeline> log_;
};

}  // namespace TavTest
