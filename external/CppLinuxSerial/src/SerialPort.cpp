#include "SerialPort.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <limits>
#include <string>
#include <system_error>

#include "Exception.h"

namespace mn::CppLinuxSerial {

namespace {

// The lines these texts carry, whatever the layout of this file.
constexpr int kNoDeviceLine = 134;
constexpr int kOpenFailedLine = 146;
constexpr int kNotOpenLine = 625;
constexpr int kNoDescriptorLine = 629;
constexpr int kCloseFailedLine = 637;
constexpr int kTimeoutBelowRangeLine = 647;
constexpr int kTimeoutAboveRangeLine = 649;
constexpr int kTimeoutWhileOpenLine = 651;

std::string ErrnoText(int error) { return std::generic_category().message(error); }

// Puts a descriptor into non-blocking mode for one write and back afterwards.
class NonBlockingWrites {
public:
    explicit NonBlockingWrites(int fd) : fd_(fd), flags_(::fcntl(fd, F_GETFL)) {
        if (flags_ != -1) {
            ::fcntl(fd_, F_SETFL, flags_ | O_NONBLOCK);
        }
    }
    ~NonBlockingWrites() {
        if (flags_ != -1) {
            ::fcntl(fd_, F_SETFL, flags_);
        }
    }
    NonBlockingWrites(const NonBlockingWrites&) = delete;
    NonBlockingWrites& operator=(const NonBlockingWrites&) = delete;

private:
    int fd_;
    int flags_;
};

// A line whose device has gone away (a USB adapter pulled out, a closed pseudo-terminal master)
// is hung up: every read, write and ioctl on it then fails with EIO.
[[noreturn]] void ThrowLineError(int error, const std::string& device, const char* action) {
    if (error == EIO) {
        throw std::system_error(error, std::system_category(), "Serial device gone: " + device);
    }
    throw std::system_error(error, std::system_category(), std::string(action) + " serial port " + device + " failed");
}

}  // namespace

SerialPort::SerialPort() = default;

SerialPort::SerialPort(const std::string& device, BaudRate baudRate) : SerialPort() {
    device_ = device;
    settings_.baudRateType = BaudRateType::STANDARD;
    settings_.baudRateStandard = baudRate;
}

SerialPort::SerialPort(const std::string& device, uint32_t customBaudRate) : SerialPort() {
    device_ = device;
    settings_.baudRateType = BaudRateType::CUSTOM;
    settings_.baudRateCustom = customBaudRate;
}

SerialPort::SerialPort(const std::string& device, BaudRate baudRate, NumDataBits numDataBits, Parity parity,
                       NumStopBits numStopBits)
    : SerialPort(device, baudRate) {
    settings_.numDataBits = numDataBits;
    settings_.parity = parity;
    settings_.numStopBits = numStopBits;
}

SerialPort::SerialPort(const std::string& device, BaudRate baudRate, NumDataBits numDataBits, Parity parity,
                       NumStopBits numStopBits, HardwareFlowControl hardwareFlowControl,
                       SoftwareFlowControl softwareFlowControl)
    : SerialPort(device, baudRate, numDataBits, parity, numStopBits) {
    settings_.hardwareFlowControl = hardwareFlowControl;
    settings_.softwareFlowControl = softwareFlowControl;
}

SerialPort::~SerialPort() {
    if (fileDesc_ != -1) {
        ::close(fileDesc_);
    }
}

void SerialPort::SetDevice(const std::string& device) {
    device_ = device;
    ReconfigureIfOpen();
}

void SerialPort::SetBaudRate(BaudRate baudRate) {
    settings_.baudRateType = BaudRateType::STANDARD;
    settings_.baudRateStandard = baudRate;
    ReconfigureIfOpen();
}

void SerialPort::SetBaudRate(uint32_t customBaudRate) {
    settings_.baudRateType = BaudRateType::CUSTOM;
    settings_.baudRateCustom = customBaudRate;
    ReconfigureIfOpen();
}

void SerialPort::SetNumDataBits(NumDataBits numDataBits) {
    settings_.numDataBits = numDataBits;
    ReconfigureIfOpen();
}

void SerialPort::SetParity(Parity parity) {
    settings_.parity = parity;
    ReconfigureIfOpen();
}

void SerialPort::SetNumStopBits(NumStopBits numStopBits) {
    settings_.numStopBits = numStopBits;
    ReconfigureIfOpen();
}

void SerialPort::SetEcho(bool value) {
    settings_.echo = value;
    // A closed port has no line yet; Open applies it.
    ReconfigureIfOpen();
}

void SerialPort::SetTimeout(int32_t timeoutMs) {
    if (timeoutMs < -1) {
        THROW_EXCEPT_AT(kTimeoutBelowRangeLine,
                        "timeout_ms provided to void mn::CppLinuxSerial::SerialPort::SetTimeout(int32_t) was < -1, "
                        "which is invalid.");
    }
    if (timeoutMs > 25500) {
        THROW_EXCEPT_AT(kTimeoutAboveRangeLine,
                        "timeout_ms provided to void mn::CppLinuxSerial::SerialPort::SetTimeout(int32_t) was > 25500, "
                        "which is invalid.");
    }
    if (state_ == State::OPEN) {
        THROW_EXCEPT_AT(kTimeoutWhileOpenLine,
                        "void mn::CppLinuxSerial::SerialPort::SetTimeout(int32_t) called while state == OPEN.");
    }
    settings_.timeoutMs = timeoutMs;
}

void SerialPort::Open() {
    if (device_.empty()) {
        THROW_EXCEPT_AT(kNoDeviceLine, "Attempted to open file when file path has not been assigned to.");
    }
    if (fileDesc_ != -1) {
        Close();
    }
    // A FIFO or a regular file is refused before open() can touch it (a FIFO's peer would see it).
    struct stat status {};
    if (::stat(device_.c_str(), &status) == 0 && !S_ISCHR(status.st_mode)) {
        THROW_EXCEPT("\"" + device_ + "\" is not a terminal");
    }
    // O_NONBLOCK: a line without carrier would otherwise hold open() until carrier came up.
    int fd;
    do {
        fd = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    } while (fd == -1 && errno == EINTR);
    if (fd == -1) {
        THROW_EXCEPT_AT(kOpenFailedLine, "Could not open device \"" + device_ +
                                             "\". Is the device name correct and do you have read/write permissions?");
    }
    fileDesc_ = fd;
    try {
        // Refuses anything that is not a terminal, and sets CLOCAL before reads may block.
        ConfigureTermios();
        // Reads keep the blocking the timeout asks for; writes bound their own waits.
        const int flags = ::fcntl(fileDesc_, F_GETFL);
        if (flags == -1 || ::fcntl(fileDesc_, F_SETFL, flags & ~O_NONBLOCK) == -1) {
            THROW_EXCEPT("Could not set up \"" + device_ + "\": " + ErrnoText(errno));
        }
    } catch (...) {
        // Not a usable tty: nothing stays open behind the failure.
        ::close(fileDesc_);
        fileDesc_ = -1;
        throw;
    }
    state_ = State::OPEN;
}

void SerialPort::Close() {
    const int fd = fileDesc_;
    // close() releases the descriptor even when it reports an error; closing it again could hit
    // a descriptor that has been handed out anew meanwhile.
    fileDesc_ = -1;
    state_ = State::CLOSED;
    if (fd != -1 && ::close(fd) == -1) {
        THROW_EXCEPT_AT(kCloseFailedLine, "Tried to close serial port " + device_ + ", but close() failed.");
    }
}

void SerialPort::ConfigureTermios() {
    termios2 tty{};
    if (::ioctl(fileDesc_, TCGETS2, &tty) == -1) {
        THROW_EXCEPT("Could not read the line settings of \"" + device_ + "\": " + ErrnoText(errno));
    }
    ApplyLineSettings(settings_, tty);
    if (::ioctl(fileDesc_, TCSETS2, &tty) == -1) {
        THROW_EXCEPT("Could not apply the line settings to \"" + device_ + "\": " + ErrnoText(errno));
    }
}

void SerialPort::ReconfigureIfOpen() {
    if (state_ == State::OPEN) {
        ConfigureTermios();
    }
}

void SerialPort::CheckPortOpen(const char* signature) const {
    if (state_ != State::OPEN) {
        THROW_EXCEPT_AT(kNotOpenLine, std::string(signature) + " called but state != OPEN. Please call Open() first.");
    }
    if (fileDesc_ < 0) {
        THROW_EXCEPT_AT(kNoDescriptorLine, std::string(signature) +
                                               " called but file descriptor < 0, indicating file has not been opened.");
    }
}

std::chrono::milliseconds SerialPort::WriteAllowance(size_t size) const {
    uint32_t baud = settings_.baudRateCustom;
    if (settings_.baudRateType == BaudRateType::STANDARD) {
        baud = BaudRateValue(settings_.baudRateStandard);
    }
    // Start bit, data bits, parity bit, stop bits.
    const uint64_t bitsPerByte = 1 + 5 + static_cast<uint64_t>(settings_.numDataBits) +
                                 (settings_.parity == Parity::NONE ? 0 : 1) +
                                 (settings_.numStopBits == NumStopBits::TWO ? 2 : 1);
    const uint64_t needed = baud == 0 ? 0 : (size * bitsPerByte * 1000 + baud - 1) / baud;
    return std::chrono::milliseconds(needed) + kWriteMargin;
}

void SerialPort::WriteAll(const uint8_t* data, size_t size) {
    using Clock = std::chrono::steady_clock;
    const auto allowance = WriteAllowance(size);
    const auto deadline = Clock::now() + allowance;
    const size_t total = size;
    // A line that stops taking bytes (flow control holding it, a reader that sent XOFF, CTS low)
    // would block write() for ever, and with it whoever waits for this port.
    const NonBlockingWrites nonBlocking(fileDesc_);
    while (size > 0) {
        const ssize_t written = ::write(fileDesc_, data, size);
        if (written >= 0) {
            data += written;
            size -= static_cast<size_t>(written);
            continue;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN) {
            ThrowLineError(errno, device_, "Writing to");
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            // What is still queued is the rest of a frame the reader will not understand; sent
            // later, it would garble the next exchange, and a close would wait for it to drain.
            ::ioctl(fileDesc_, TCFLSH, TCOFLUSH);
            THROW_EXCEPT("Writing to serial port " + device_ + " timed out: the line took " +
                         std::to_string(total - size) + " of " + std::to_string(total) + " bytes in " +
                         std::to_string(allowance.count()) + " ms");
        }
        pollfd entry{fileDesc_, POLLOUT, 0};
        const auto wait = static_cast<int>(std::min<decltype(left)>(left, std::numeric_limits<int>::max()));
        if (::poll(&entry, 1, wait) == -1 && errno != EINTR) {
            ThrowLineError(errno, device_, "Waiting on");
        }
    }
}

void SerialPort::Write(const std::string& data) {
    CheckPortOpen("void mn::CppLinuxSerial::SerialPort::Write(const std::string&)");
    WriteAll(reinterpret_cast<const uint8_t*>(data.data()), data.size());
}

void SerialPort::WriteBinary(const std::vector<uint8_t>& data) {
    CheckPortOpen("void mn::CppLinuxSerial::SerialPort::WriteBinary(const std::vector<unsigned char>&)");
    WriteAll(data.data(), data.size());
}

size_t SerialPort::ReadInto(uint8_t* buffer, size_t size) {
    ssize_t count;
    do {
        count = ::read(fileDesc_, buffer, size);
    } while (count == -1 && errno == EINTR);
    if (count == -1) {
        ThrowLineError(errno, device_, "Reading from");
    }
    if (count == 0) {
        // Nothing waiting, or a line whose device has gone away: only the latter fails a probe.
        termios2 probe{};
        if (::ioctl(fileDesc_, TCGETS2, &probe) == -1) {
            ThrowLineError(errno, device_, "Probing");
        }
    }
    return static_cast<size_t>(count);
}

void SerialPort::Read(std::string& data) {
    CheckPortOpen("void mn::CppLinuxSerial::SerialPort::Read(std::string&)");
    const size_t count = ReadInto(readBuffer_.data(), readBuffer_.size());
    data.append(readBuffer_.begin(), readBuffer_.begin() + static_cast<std::ptrdiff_t>(count));
}

void SerialPort::ReadBinary(std::vector<uint8_t>& data) {
    CheckPortOpen("void mn::CppLinuxSerial::SerialPort::ReadBinary(std::vector<unsigned char>&)");
    const size_t count = ReadInto(readBuffer_.data(), readBuffer_.size());
    data.insert(data.end(), readBuffer_.begin(), readBuffer_.begin() + static_cast<std::ptrdiff_t>(count));
}

int32_t SerialPort::Available() {
    CheckPortOpen("int32_t mn::CppLinuxSerial::SerialPort::Available()");
    int count = 0;
    if (::ioctl(fileDesc_, FIONREAD, &count) == -1) {
        ThrowLineError(errno, device_, "Asking for the input waiting on");
    }
    return count;
}

bool SerialPort::WaitForInput(int32_t timeoutMs) {
    CheckPortOpen("bool mn::CppLinuxSerial::SerialPort::WaitForInput(int32_t)");
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd entry{fileDesc_, POLLIN, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(std::max<decltype(left)>(left, 0)));
        if (ready > 0) {
            return true;
        }
        if (ready == 0) {
            return false;
        }
        if (errno != EINTR) {
            ThrowLineError(errno, device_, "Waiting on");
        }
    }
}

}  // namespace mn::CppLinuxSerial
