#pragma once

#include <mutex>

namespace TavTransport {

// hidapi keeps process-wide state that its calls do not guard: its initialisation, the udev
// enumeration behind hid_open, and the text of the last failed open (hid_error of no device).
// Every call that touches that state, and the read of its error, runs under this lock, held for
// that call alone: readers opening side by side never wait out each other's pauses.
class HidapiLock {
public:
    HidapiLock();
    HidapiLock(const HidapiLock&) = delete;
    HidapiLock& operator=(const HidapiLock&) = delete;

private:
    std::lock_guard<std::mutex> guard_;
};

}  // namespace TavTransport
