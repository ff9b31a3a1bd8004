#include "common/TimeDelay.h"

#include <gtest/gtest.h>
#include <sys/time.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

milliseconds Elapsed(const std::function<void()>& action) {
    const auto start = Clock::now();
    action();
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

TEST(TimeDelayTest, NonPositiveCountsReturnAtOnce) {
    TavCommon::TimeDelay delay;
    // A count taken for any positive number of seconds would sleep at least one; a loaded machine
    // never stretches a call that returns at once that far.
    for (const int count : {0, -1, -5, -2147483647 - 1}) {
        EXPECT_LT(Elapsed([&] { delay.DelayMilliseconds(count); }), milliseconds(1000)) << count;
        EXPECT_LT(Elapsed([&] { delay.DelaySeconds(count); }), milliseconds(1000)) << count;
    }
}

TEST(TimeDelayTest, MillisecondsBeyondOneSecondCarryIntoSeconds) {
    TavCommon::TimeDelay delay;
    EXPECT_GE(Elapsed([&] { delay.DelayMilliseconds(1020); }), milliseconds(1020));
}

std::atomic<int> interruptions{0};

void CountInterruption(int) { interruptions.fetch_add(1); }

// Interrupts the test's sleep every 10 ms with SIGALRM, without SA_RESTART.
class InterruptingTimer {
public:
    InterruptingTimer() {
        struct sigaction action {};
        action.sa_handler = &CountInterruption;
        sigemptyset(&action.sa_mask);
        sigaction(SIGALRM, &action, &previous_);
        const itimerval every10ms{{0, 10'000}, {0, 10'000}};
        setitimer(ITIMER_REAL, &every10ms, nullptr);
    }
    ~InterruptingTimer() {
        const itimerval off{};
        setitimer(ITIMER_REAL, &off, nullptr);
        sigaction(SIGALRM, &previous_, nullptr);
    }

private:
    struct sigaction previous_ {};
};

TEST(TimeDelayTest, SleepInterruptedBySignalsResumes) {
    TavCommon::TimeDelay delay;
    interruptions = 0;
    {
        const InterruptingTimer timer;
        EXPECT_GE(Elapsed([&] { delay.DelayMilliseconds(120); }), milliseconds(120));
        EXPECT_GE(interruptions.load(), 3);
        interruptions = 0;
        EXPECT_GE(Elapsed([&] { delay.DelaySeconds(1); }), milliseconds(1000));
        EXPECT_GE(interruptions.load(), 3);
    }
}

}  // namespace
