#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Tavelin/ReaderDefinition.h"
#include "sim/SerialBinaryFrontEnd.h"
#include "support/PseudoTerminal.h"

namespace TavSim {

// A simulated reader on a serial line: a thread holds the master side of a pseudo-terminal and
// answers the frames the code under test writes to the slave, which it opens by name as it would
// /dev/ttyUSB0. Each reply is written in one piece, `replyTime` after its frame arrived, as a
// real reader does.
class SerialLineServer {
public:
    static constexpr std::chrono::milliseconds kDefaultReplyTime{2};

    explicit SerialLineServer(SerialBinaryFrontEnd& frontEnd, std::chrono::milliseconds replyTime = kDefaultReplyTime);
    ~SerialLineServer();
    SerialLineServer(const SerialLineServer&) = delete;
    SerialLineServer& operator=(const SerialLineServer&) = delete;

    const std::string& SlaveName() const { return pty_.SlaveName(); }
    // A serial-binary reader definition for the slave.
    TavCommon::ReaderDefinition Definition(uint32_t baudRate = 250000) const;

    void SetReplyTime(std::chrono::milliseconds replyTime) { replyTimeMs_ = replyTime.count(); }
    // The adapter is pulled out: the master closes and every open slave descriptor hangs up.
    // Returns once it has happened.
    void Unplug();
    // Whether the line is still there (false after Unplug or a DeviceGone fault).
    // Waits out a close in progress: the host may see the line gone before the flag is set.
    bool Connected() const {
        const std::lock_guard lock(closedMutex_);
        return !closed_;
    }

private:
    enum class Request : char { Stop = 'S', Unplug = 'U' };

    void Serve();
    void Answer(const SerialBinaryFrontEnd::Answer& answer);
    // Sleeps, but returns false at once when asked to stop.
    bool Pause(std::chrono::milliseconds duration);
    // False when the line is gone or the host does not read for a second.
    bool WriteAll(const std::vector<uint8_t>& bytes);
    void CloseLine();
    void Signal(Request request);

    SerialBinaryFrontEnd& frontEnd_;
    TavTest::PseudoTerminal pty_;
    std::atomic<int64_t> replyTimeMs_;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> closed_{false};
    mutable std::mutex closedMutex_;
    std::condition_variable closedChanged_;

    // Serving thread only.
    std::vector<uint8_t> pending_;
    std::optional<uint8_t> endlessFiller_;
    std::optional<std::chrono::steady_clock::time_point> dataPhraseDeadline_;

    std::thread thread_;  // last: starts once everything above is ready
};

}  // namespace TavSim
