#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

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

// What the code under test did, in the order it did it: the waits it asked for (from a
// RecordingTimeDelay) and the phrases that crossed the transport (from an InProcessTransport
// recording on the same timeline). Shared, so a test reads it after the command that owned the
// delay is gone.
class Timeline {
public:
    void AddWait(RecordedWait wait);
    void AddSent(const std::vector<uint8_t>& phrase);
    void AddReceived(const std::vector<uint8_t>& reply);
    void Clear();

    // One line per event, in order: "wait 10 ms", "wait 3 s", "sent 89 10 00 ...", "received 01 2E ...".
    std::vector<std::string> Lines() const;
    // The same with each phrase cut to "sent" or "received": the order of waits and exchanges.
    std::vector<std::string> Steps() const;
    // Only the waits, in order.
    std::vector<RecordedWait> Waits() const;
    // Everything asked for, in milliseconds.
    long long TotalMilliseconds() const;

private:
    struct Event {
        RecordedWait wait;
        std::string line;
        bool isWait;
    };

    mutable std::mutex mutex_;
    std::vector<Event> events_;
};

}  // namespace TavTest
