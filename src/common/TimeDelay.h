#pragma once

namespace TavCommon {

// The one way commands wait, so that tests can hand in a delay that does not sleep.
class TimeDelay {
public:
    virtual ~TimeDelay() = default;
    // Both do nothing for 0 or less; a sleep interrupted by a signal resumes.
    virtual void DelayMilliseconds(int milliseconds);
    virtual void DelaySeconds(int seconds);
};

}  // namespace TavCommon
