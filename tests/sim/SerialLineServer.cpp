#include "sim/SerialLineServer.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <system_error>

#include "sim/SerialDefinition.h"

namespace TavSim {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How often a reply that never ends sends its next bytes, and how many.
constexpr milliseconds kFillerInterval{2};
constexpr std::size_t kFillerChunk = 16;

}  // namespace

SerialLineServer::SerialLineServer(SerialBinaryFrontEnd& frontEnd, milliseconds replyTime)
    : frontEnd_(frontEnd), replyTimeMs_(replyTime.count()) {
    std::array<int, 2> wake{};
    if (pipe2(wake.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::system_error(errno, std::system_category(), "pipe2");
    }
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];
    // The host may stop reading (a reply that never ends fills the line): never block on it.
    const int flags = fcntl(pty_.MasterFd(), F_GETFL);
    fcntl(pty_.MasterFd(), F_SETFL, flags | O_NONBLOCK);
    thread_ = std::thread([this] { Serve(); });
}

SerialLineServer::~SerialLineServer() {
    stopping_ = true;
    Signal(Request::Stop);
    thread_.join();
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

TavCommon::ReaderDefinition SerialLineServer::Definition(uint32_t baudRate) const {
    return TavTest::SerialDefinition(SlaveName(), baudRate);
}

void SerialLineServer::Signal(Request request) {
    const char byte = static_cast<char>(request);
    while (::write(wakeWrite_, &byte, 1) == -1 && errno == EINTR) {
    }
}

void SerialLineServer::Unplug() {
    Signal(Request::Unplug);
    std::unique_lock lock(stateMutex_);
    stateChanged_.wait(lock, [this] { return closed_.load(); });
}

void SerialLineServer::CloseLine() {
    {
        // Under the lock, so no one reads the line as connected once the host can see it gone.
        const std::lock_guard lock(stateMutex_);
        pty_.CloseMaster();
        closed_ = true;
    }
    stateChanged_.notify_all();
}

uint64_t SerialLineServer::BytesWritten() const {
    const std::lock_guard lock(stateMutex_);
    return bytesWritten_;
}

bool SerialLineServer::WaitUntilAnswered(uint64_t bytesSent, uint64_t writtenBefore, milliseconds timeout) const {
    const auto deadline = Clock::now() + timeout;
    uint64_t written = 0;
    {
        std::unique_lock lock(stateMutex_);
        if (!stateChanged_.wait_until(lock, deadline, [&] { return closed_ || bytesAnswered_ >= bytesSent; })) {
            return false;
        }
        if (closed_) {
            return true;
        }
        written = bytesWritten_ - writtenBefore;
    }
    // What was written may not be readable yet: the pseudo-terminal hands bytes over in a kernel worker.
    const auto left = std::chrono::ceil<milliseconds>(deadline - Clock::now()).count();
    return written == 0 ||
           pty_.WaitUntilDelivered(static_cast<int>(written), static_cast<int>(std::max<int64_t>(left, 0)));
}

void SerialLineServer::PublishAnswered(uint64_t bytes) {
    {
        const std::lock_guard lock(stateMutex_);
        bytesAnswered_ = bytes;
    }
    stateChanged_.notify_all();
}

void SerialLineServer::CountWritten(ssize_t count) {
    if (count <= 0) {
        return;
    }
    {
        const std::lock_guard lock(stateMutex_);
        bytesWritten_ += static_cast<uint64_t>(count);
    }
    stateChanged_.notify_all();
}

bool SerialLineServer::Pause(milliseconds duration) {
    const auto deadline = Clock::now() + duration;
    for (;;) {
        if (stopping_) {
            return false;
        }
        const auto left = std::chrono::ceil<milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return true;
        }
        pollfd wake{wakeRead_, POLLIN, 0};
        // A wake-up request is left in the pipe for the serving loop to act on.
        if (::poll(&wake, 1, static_cast<int>(left)) > 0) {
            return !stopping_;
        }
    }
}

bool SerialLineServer::WriteAll(const std::vector<uint8_t>& bytes) {
    std::size_t done = 0;
    const auto deadline = Clock::now() + milliseconds(1000);
    while (done < bytes.size()) {
        const ssize_t written = ::write(pty_.MasterFd(), bytes.data() + done, bytes.size() - done);
        if (written > 0) {
            CountWritten(written);
            done += static_cast<std::size_t>(written);
            continue;
        }
        if (written == -1 && errno == EINTR) {
            continue;
        }
        if (written == -1 && errno != EAGAIN) {
            return false;
        }
        if (Clock::now() >= deadline || stopping_) {
            return false;
        }
        pollfd out{pty_.MasterFd(), POLLOUT, 0};
        ::poll(&out, 1, 10);
    }
    return true;
}

bool SerialLineServer::InputWaiting() const {
    pollfd in{pty_.MasterFd(), POLLIN, 0};
    return ::poll(&in, 1, 0) > 0;
}

bool SerialLineServer::HostGaveUp() const {
    if (!pending_.empty() || InputWaiting()) {
        return true;
    }
    const std::lock_guard lock(stateMutex_);
    return catchUpsAsked_ > catchUpsDone_;
}

uint64_t SerialLineServer::LateAnswers() {
    std::unique_lock lock(stateMutex_);
    const uint64_t asked = ++catchUpsAsked_;
    lock.unlock();
    Signal(Request::CatchUp);
    lock.lock();
    // A serving thread that never catches up leaves the count as it is.
    stateChanged_.wait_for(lock, std::chrono::seconds(10), [&] { return closed_ || catchUpsDone_ >= asked; });
    return lateAnswers_;
}

void SerialLineServer::Answer(const SerialBinaryFrontEnd::Answer& answer) {
    if (answer.deviceGone) {
        CloseLine();
        return;
    }
    if (answer.endlessFiller) {
        endlessFiller_ = answer.endlessFiller;
        return;
    }
    if (!answer.reply) {
        return;
    }
    if (answer.delay.count() > 0) {
        // Late on purpose: the reply runs against the host's window from here.
        PublishAnswered(bytesRead_ - pending_.size());
    }
    if (!Pause(milliseconds(replyTimeMs_.load()) + answer.delay)) {
        return;
    }
    if (answer.delay.count() == 0 && HostGaveUp()) {
        ++lateAnswers_;
    }
    const auto& reply = *answer.reply;
    if (answer.pause.count() > 0 && answer.pauseAfter < reply.size()) {
        const auto cut = reply.begin() + static_cast<std::ptrdiff_t>(answer.pauseAfter);
        if (!WriteAll({reply.begin(), cut})) {
            return;
        }
        // Paused on purpose: the rest runs against the host's window from here.
        PublishAnswered(bytesRead_ - pending_.size());
        if (!Pause(answer.pause)) {
            return;
        }
        WriteAll({cut, reply.end()});
    } else {
        WriteAll(reply);
    }
    if (answer.awaitsDataPhrase) {
        dataPhraseDeadline_ = Clock::now() + SerialBinaryFrontEnd::kDataPhraseTimeout;
    }
}

void SerialLineServer::Serve() {
    std::array<uint8_t, 512> buffer{};
    while (!closed_) {
        int timeout = -1;
        if (endlessFiller_) {
            timeout = static_cast<int>(kFillerInterval.count());
        } else if (dataPhraseDeadline_) {
            timeout = static_cast<int>(
                std::max<int64_t>(std::chrono::ceil<milliseconds>(*dataPhraseDeadline_ - Clock::now()).count(), 0));
        }
        std::array<pollfd, 2> fds{{{wakeRead_, POLLIN, 0}, {pty_.MasterFd(), POLLIN, 0}}};
        if (::poll(fds.data(), fds.size(), timeout) == -1 && errno != EINTR) {
            return;
        }

        if ((fds[0].revents & POLLIN) != 0) {
            char request = 0;
            while (::read(wakeRead_, &request, 1) == 1) {
                if (request == static_cast<char>(Request::Unplug)) {
                    auto model = frontEnd_.Reader().Model();
                    model->connected = false;
                }
            }
            if (stopping_) {
                return;
            }
            if (!frontEnd_.DevicePresent()) {
                CloseLine();
                return;
            }
        }

        if ((fds[1].revents & POLLIN) != 0) {
            const ssize_t count = ::read(pty_.MasterFd(), buffer.data(), buffer.size());
            if (count > 0) {
                if (const auto holdUp = holdUpMs_.exchange(0); holdUp > 0 && !Pause(milliseconds(holdUp))) {
                    return;
                }
                bytesRead_ += static_cast<uint64_t>(count);
                pending_.insert(pending_.end(), buffer.begin(), buffer.begin() + count);
            }
        }

        while (!closed_) {
            const std::optional<std::size_t> length = frontEnd_.FrameLength(pending_);
            if (!length) {
                break;
            }
            if (*length == 0) {
                pending_.erase(pending_.begin());  // noise before a frame
                continue;
            }
            if (pending_.size() < *length) {
                break;
            }
            const std::vector<uint8_t> frame(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(*length));
            pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(*length));
            // A new frame ends whatever the reader was still sending or waiting for.
            endlessFiller_.reset();
            dataPhraseDeadline_.reset();
            Answer(frontEnd_.Accept(frame));
        }
        if (closed_) {
            return;
        }

        if (endlessFiller_) {
            const std::vector<uint8_t> filler(kFillerChunk, *endlessFiller_);
            CountWritten(::write(pty_.MasterFd(), filler.data(), filler.size()));
        }
        // What is left in pending_ is the start of a frame: nothing to answer yet.
        PublishAnswered(bytesRead_);
        if (!InputWaiting()) {
            {
                const std::lock_guard lock(stateMutex_);
                catchUpsDone_ = catchUpsAsked_;
            }
            stateChanged_.notify_all();
        }
        if (dataPhraseDeadline_ && Clock::now() >= *dataPhraseDeadline_) {
            dataPhraseDeadline_.reset();
            WriteAll(frontEnd_.ExpireDataPhrase());
        }
    }
}

}  // namespace TavSim
