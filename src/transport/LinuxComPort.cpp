#include "transport/LinuxComPort.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <string>
#include <system_error>
#include <utility>

#include <fmt/format.h>

#include "Exception.h"
#include "SerialPort.h"
#include "common/FixedText.h"
#include "common/SourceLocation.h"
#include "transport/TransportException.h"

namespace TavTransport {

namespace {

namespace Serial = mn::CppLinuxSerial;

// The lines these errors' records carry, whatever the layout of this file.
constexpr int kUnopenedOnSendLine = 73;
constexpr int kWriteFailedLine = 81;
constexpr int kUnopenedOnReceiveLine = 90;

using TavCommon::SerialPortDataBits;
using TavCommon::SerialPortFlowControl;
using TavCommon::SerialPortParity;
using TavCommon::SerialPortStopBits;

template <typename From, typename To>
struct Entry {
    From from;
    To to;
};

// The library's codes and the port's enums are told apart by name, never by number: the two
// parity enums, for one, order Odd and Even differently.
constexpr std::array<Entry<SerialPortDataBits, Serial::NumDataBits>, 4> kDataBits{{
    {SerialPortDataBits::Five, Serial::NumDataBits::FIVE},
    {SerialPortDataBits::Six, Serial::NumDataBits::SIX},
    {SerialPortDataBits::Seven, Serial::NumDataBits::SEVEN},
    {SerialPortDataBits::Eight, Serial::NumDataBits::EIGHT},
}};

constexpr std::array<Entry<SerialPortStopBits, Serial::NumStopBits>, 2> kStopBits{{
    {SerialPortStopBits::One, Serial::NumStopBits::ONE},
    {SerialPortStopBits::Two, Serial::NumStopBits::TWO},
}};

constexpr std::array<Entry<SerialPortFlowControl, Serial::HardwareFlowControl>, 6> kHardwareFlowControl{{
    {SerialPortFlowControl::None, Serial::HardwareFlowControl::OFF},
    {SerialPortFlowControl::XonXoff, Serial::HardwareFlowControl::OFF},
    {SerialPortFlowControl::RtsCts, Serial::HardwareFlowControl::ON},
    {SerialPortFlowControl::XonXoffRtsCts, Serial::HardwareFlowControl::ON},
    {SerialPortFlowControl::DtrDsr, Serial::HardwareFlowControl::ON},
    {SerialPortFlowControl::XonXoffDtrDsr, Serial::HardwareFlowControl::ON},
}};

constexpr std::array<Entry<SerialPortFlowControl, Serial::SoftwareFlowControl>, 6> kSoftwareFlowControl{{
    {SerialPortFlowControl::None, Serial::SoftwareFlowControl::OFF},
    {SerialPortFlowControl::XonXoff, Serial::SoftwareFlowControl::ON},
    {SerialPortFlowControl::RtsCts, Serial::SoftwareFlowControl::OFF},
    {SerialPortFlowControl::XonXoffRtsCts, Serial::SoftwareFlowControl::ON},
    {SerialPortFlowControl::DtrDsr, Serial::SoftwareFlowControl::OFF},
    {SerialPortFlowControl::XonXoffDtrDsr, Serial::SoftwareFlowControl::ON},
}};

constexpr std::array<Entry<SerialPortParity, Serial::Parity>, 3> kParity{{
    {SerialPortParity::None, Serial::Parity::NONE},
    {SerialPortParity::Odd, Serial::Parity::ODD},
    {SerialPortParity::Even, Serial::Parity::EVEN},
}};

// A code without an entry maps to the port enum's first value.
template <typename From, typename To, std::size_t N>
To Lookup(const std::array<Entry<From, To>, N>& table, uint8_t code) {
    const auto entry = std::find_if(table.begin(), table.end(),
                                    [code](const auto& e) { return static_cast<uint8_t>(e.from) == code; });
    return entry == table.end() ? To{} : entry->to;
}

using Clock = std::chrono::steady_clock;

// A silent reader is given the first multiple of the delay above 99 ms.
std::chrono::milliseconds ReceiveWindow(int32_t receiveDelayMs) {
    return std::chrono::milliseconds(static_cast<int64_t>(receiveDelayMs) * (99 / receiveDelayMs + 1));
}

void CheckReceiveDelay(int64_t receiveDelayMs) {
    if (receiveDelayMs < kMinReceiveDelayMs || receiveDelayMs > kMaxReceiveDelayMs) {
        TAV_THROW(TransportException, "Receive delay must be between 1 and 25500 ms for a serial port, got " +
                                          std::to_string(receiveDelayMs));
    }
}

}  // namespace

struct LinuxComPort::Impl {
    int32_t receiveDelayMs = 25;
    std::unique_ptr<Serial::SerialPort> port;

    bool IsOpen() const { return port && port->GetState() == Serial::State::OPEN; }
};

LinuxComPort::LinuxComPort() : impl_(std::make_unique<Impl>()) {}
LinuxComPort::~LinuxComPort() = default;
LinuxComPort::LinuxComPort(LinuxComPort&& other) noexcept = default;
LinuxComPort& LinuxComPort::operator=(LinuxComPort&& other) noexcept = default;

LinuxComPort::Impl& LinuxComPort::Implementation() {
    if (!impl_) {
        impl_ = std::make_unique<Impl>();
    }
    return *impl_;
}

Serial::LineSettings LinuxComPort::LineSettingsFor(const TavCommon::SerialPortSettings& settings,
                                                   int32_t receiveDelayMs) {
    Serial::LineSettings line;
    line.hardwareFlowControl = Lookup(kHardwareFlowControl, settings.FlowControl);
    line.softwareFlowControl = Lookup(kSoftwareFlowControl, settings.FlowControl);
    line.numStopBits = Lookup(kStopBits, settings.StopBits);
    line.parity = Lookup(kParity, settings.Parity);
    line.numDataBits = Lookup(kDataBits, settings.DataBits);
    line.baudRateType = Serial::BaudRateType::CUSTOM;
    line.baudRateCustom = settings.BaudRate;
    line.timeoutMs = receiveDelayMs;
    return line;
}

void LinuxComPort::Configure(const TavCommon::SerialPortSettings& settings, int32_t receiveDelayMs) {
    CheckReceiveDelay(receiveDelayMs);
    Impl& impl = Implementation();
    impl.receiveDelayMs = receiveDelayMs;
    if (impl.port) {
        const auto old = std::move(impl.port);
        old->Close();
    }
    const Serial::LineSettings line = LineSettingsFor(settings, receiveDelayMs);
    impl.port = std::make_unique<Serial::SerialPort>(
        std::string(TavCommon::ReadFixedField(settings.PortName)), line.baudRateStandard, line.numDataBits, line.parity,
        line.numStopBits, line.hardwareFlowControl, line.softwareFlowControl);
    impl.port->SetTimeout(line.timeoutMs);
    impl.port->SetBaudRate(line.baudRateCustom);
    impl.port->Open();
    // Whatever the line held before the first command answers nothing of ours.
    DiscardPendingInput();
}

void LinuxComPort::SetReceiveDelayMs(int32_t receiveDelayMs) {
    CheckReceiveDelay(receiveDelayMs);
    Implementation().receiveDelayMs = receiveDelayMs;
}

void LinuxComPort::Send(std::vector<uint8_t> bytes) {
    if (!impl_ || !impl_->IsOpen()) {
        TAV_THROW_AT(TransportException, "Cannot send data through unopened serial port. Must Configure() port first.",
                     kUnopenedOnSendLine);
    }
    try {
        impl_->port->WriteBinary(bytes);
    } catch (const Serial::Exception& error) {
        TAV_THROW_AT(TransportException,
                     fmt::format("Failed to transmit over serial port. Message: '{}'", error.what()), kWriteFailedLine);
    } catch (const std::system_error& error) {
        TAV_THROW_AT(TransportException,
                     fmt::format("Failed to transmit over serial port. Message: '{}'", error.what()), kWriteFailedLine);
    }
}

void LinuxComPort::Close() {
    if (impl_ && impl_->port) {
        const auto port = std::move(impl_->port);
        port->Close();
    }
}

std::vector<uint8_t> LinuxComPort::Receive() {
    if (!impl_ || !impl_->IsOpen()) {
        TAV_THROW_AT(TransportException,
                     "Cannot receive data through unopened serial port. Must Configure() port first.",
                     kUnopenedOnReceiveLine);
    }
    using std::chrono::milliseconds;
    Serial::SerialPort& port = *impl_->port;
    const int32_t delay = impl_->receiveDelayMs;
    // A reply ends when the line has been quiet for one delay; a reply that never ends is cut at
    // the window too.
    const milliseconds window = ReceiveWindow(delay);
    const auto start = Clock::now();
    std::vector<uint8_t> reply;
    for (;;) {
        const auto elapsed = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
        if (!reply.empty() && elapsed >= window) {
            return reply;
        }
        const milliseconds wait = reply.empty() ? std::max(window - elapsed, milliseconds(0)) : milliseconds(delay);
        if (!port.WaitForInput(static_cast<int32_t>(wait.count()))) {
            return reply;
        }
        port.ReadBinary(reply);
    }
}

void LinuxComPort::DiscardPendingInput() {
    if (!impl_ || !impl_->IsOpen()) {
        return;
    }
    Serial::SerialPort& port = *impl_->port;
    // Only what is there now: a reader that keeps sending must not keep the caller here.
    int64_t pending = port.Available();
    std::vector<uint8_t> scratch;
    while (pending > 0) {
        scratch.clear();
        port.ReadBinary(scratch);
        if (scratch.empty()) {
            break;
        }
        pending -= static_cast<int64_t>(scratch.size());
    }
}

bool LinuxComPort::AwaitQuietLine(std::chrono::milliseconds limit, std::vector<uint8_t>& dropped) {
    if (!impl_ || !impl_->IsOpen()) {
        return true;
    }
    Serial::SerialPort& port = *impl_->port;
    const std::chrono::milliseconds window = ReceiveWindow(impl_->receiveDelayMs);
    const auto deadline = Clock::now() + limit;
    while (port.WaitForInput(static_cast<int32_t>(window.count()))) {
        port.ReadBinary(dropped);
        if (Clock::now() >= deadline) {
            return false;
        }
    }
    return true;
}

}  // namespace TavTransport
