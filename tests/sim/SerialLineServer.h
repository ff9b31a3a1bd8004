#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Tavelin/ReaderDefinition.h"
#include "sim/PseudoTerminal.h"
#include "sim/SerialBinaryFrontEnd.h"

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
    // The serving thread is not scheduled for `duration` once the next bytes arrive, as on a
    // loaded host.
    void HoldUpNextRead(std::chrono::milliseconds duration) { holdUpMs_ = duration.count(); }
    // The adapter is pulled out: the master closes and every open slave descriptor hangs up.
    // Returns once it has happened.
    void Unplug();
    // Whether the line is still there (false after Unplug or a DeviceGone fault).
    // Waits out a close in progress: the host may see the line gone before the flag is set.
    bool Connected() const {
        const std::lock_guard lock(stateMutex_);
        return !closed_;
    }

    // For a host in this process that lets the reader answer before it starts waiting (see
    // SerialLineFixture.h). The bytes the reader has written to the line so far.
    uint64_t BytesWritten() const;
    // Returns once the reader has read the first `bytesSent` bytes the host wrote and answered
    // every frame among them, and the bytes it wrote after the first `writtenBefore` can be read
    // from the line. A reply delayed on purpose (LateReply) counts as answered when its delay
    // begins, a reply paused on purpose (PausedReply) when its pause begins, a line that is gone as
    // answered. False after `timeout`.
    bool WaitUntilAnswered(uint64_t bytesSent, uint64_t writtenBefore, std::chrono::milliseconds timeout) const;
    // Replies no fault delayed that the host had stopped waiting for: written after its next frame
    // had come (a serial-binary host sends one only once the reply came or its receive window
    // closed) or while it asked this. Only a serving thread held up past the window, as on a
    // loaded host, writes them. Ask only while the host exchanges nothing; the count is taken
    // once the serving thread has answered all the host sent.
    uint64_t LateAnswers();

private:
    enum class Request : char { Stop = 'S', Unplug = 'U', CatchUp = 'C' };

    void Serve();
    void Answer(const SerialBinaryFrontEnd::Answer& answer);
    // Sleeps, but returns false at once when asked to stop.
    bool Pause(std::chrono::milliseconds duration);
    // False when the line is gone or the host does not read for a second.
    bool WriteAll(const std::vector<uint8_t>& bytes);
    // Whether the host has stopped waiting for the reply to the frame being answered.
    bool HostGaveUp() const;
    bool InputWaiting() const;
    void CloseLine();
    // The reader has answered every frame in the first `bytes` bytes it read.
    void PublishAnswered(uint64_t bytes);
    void CountWritten(ssize_t count);
    void Signal(Request request);

    SerialBinaryFrontEnd& frontEnd_;
    TavTest::PseudoTerminal pty_;
    std::atomic<int64_t> replyTimeMs_;
    std::atomic<int64_t> holdUpMs_{0};
    std::atomic<uint64_t> lateAnswers_{0};
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> closed_{false};
    mutable std::mutex stateMutex_;
    mutable std::condition_variable stateChanged_;
    // Guarded by stateMutex_, signalled through stateChanged_ as closed_ is.
    uint64_t bytesAnswered_ = 0;
    uint64_t bytesWritten_ = 0;
    uint64_t catchUpsAsked_ = 0;
    uint64_t catchUpsDone_ = 0;

    // Serving thread only.
    std::vector<uint8_t> pending_;
    uint64_t bytesRead_ = 0;
    std::optional<uint8_t> endlessFiller_;
    std::optional<std::chrono::steady_clock::time_point> dataPhraseDeadline_;

    std::thread thread_;  // last: starts once everything above is ready
};

}  // namespace TavSim
