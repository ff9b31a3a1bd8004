#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace TavTest {

// Ends the test program with a message when the scope is not left in time: a hang fails at once
// and names itself instead of waiting for the runner's timeout.
class TimeLimit {
public:
    explicit TimeLimit(std::chrono::seconds limit, const char* what = "test")
        : watchdog_([this, limit, what] {
              std::unique_lock lock(mutex_);
              if (!done_.wait_for(lock, limit, [this] { return finished_; })) {
                  std::fprintf(stderr, "%s did not finish within %lld s: hung\n", what,
                               static_cast<long long>(limit.count()));
                  std::fflush(stderr);
                  std::_Exit(3);
              }
          }) {}
    ~TimeLimit() {
        {
            const std::lock_guard lock(mutex_);
            finished_ = true;
            done_.notify_all();
        }
        watchdog_.join();
    }
    TimeLimit(const TimeLimit&) = delete;
    TimeLimit& operator=(const TimeLimit&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread watchdog_;
};

}  // namespace TavTest
