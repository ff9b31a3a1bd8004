#include "sim/PseudoTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace TavTest {

namespace {

[[noreturn]] void Fail(const char* what) { throw std::system_error(errno, std::system_category(), what); }

}  // namespace

PseudoTerminal::PseudoTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ == -1) {
        Fail("posix_openpt");
    }
    std::array<char, 128> name{};
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname_r(master_, name.data(), name.size()) != 0) {
        const int error = errno;
        ::close(master_);
        throw std::system_error(error, std::system_category(), "preparing the pseudo-terminal slave");
    }
    slaveName_ = name.data();
    slave_ = ::open(slaveName_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ == -1) {
        const int error = errno;
        ::close(master_);
        throw std::system_error(error, std::system_category(), "opening the pseudo-terminal slave");
    }
    // Raw from the start: no echo of what the reader sends, no line editing, no translation.
    termios raw{};
    tcgetattr(slave_, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave_, TCSANOW, &raw);
}

PseudoTerminal::~PseudoTerminal() {
    if (slave_ != -1) {
        ::close(slave_);
    }
    CloseMaster();
}

void PseudoTerminal::Write(const std::vector<uint8_t>& bytes) const {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (written == -1) {
            if (errno == EINTR) {
                continue;
            }
            Fail("writing to the pseudo-terminal master");
        }
        done += static_cast<size_t>(written);
    }
}

std::vector<uint8_t> PseudoTerminal::Read(int timeoutMs, int quietMs) const {
    std::vector<uint8_t> bytes;
    int wait = timeoutMs;
    for (;;) {
        pollfd entry{master_, POLLIN, 0};
        const int ready = ::poll(&entry, 1, wait);
        if (ready == -1 && errno == EINTR) {
            continue;
        }
        if (ready <= 0 || (entry.revents & POLLIN) == 0) {
            return bytes;
        }
        std::array<uint8_t, 512> buffer{};
        const ssize_t count = ::read(master_, buffer.data(), buffer.size());
        if (count <= 0) {
            return bytes;
        }
        bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + count);
        wait = quietMs;
    }
}

bool PseudoTerminal::WaitUntilDelivered(int count, int timeoutMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int pending = 0;
        if (::ioctl(slave_, FIONREAD, &pending) == 0 && pending >= count) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

void PseudoTerminal::CloseMaster() {
    if (master_ != -1) {
        ::close(master_);
        master_ = -1;
    }
}

}  // namespace TavTest
