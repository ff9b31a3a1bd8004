#include "common/TimeDelay.h"

#include <cerrno>
#include <ctime>

namespace TavCommon {

namespace {

void SleepFor(timespec remaining) {
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

}  // namespace

void TimeDelay::DelayMilliseconds(int milliseconds) {
    if (milliseconds <= 0) {
        return;
    }
    SleepFor(timespec{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1'000'000L});
}

void TimeDelay::DelaySeconds(int seconds) {
    if (seconds <= 0) {
        return;
    }
    SleepFor(timespec{seconds, 0});
}

}  // namespace TavCommon
