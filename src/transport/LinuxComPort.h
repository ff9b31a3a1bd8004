#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "LineSettings.h"
#include "transport/SerialPortWrapper.h"

namespace TavTransport {

// The serial port wrapper on Linux: the library's serial settings on a termios2 serial port.
class LinuxComPort : public SerialPortWrapper {
public:
    LinuxComPort();
    ~LinuxComPort() override;
    LinuxComPort(const LinuxComPort&) = delete;
    LinuxComPort& operator=(const LinuxComPort&) = delete;
    // A moved-from port holds nothing; assigning over a port closes the old one first.
    LinuxComPort(LinuxComPort&& other) noexcept;
    LinuxComPort& operator=(LinuxComPort&& other) noexcept;

    void Configure(const TavCommon::SerialPortSettings& settings, int32_t receiveDelayMs) override;
    void SetReceiveDelayMs(int32_t receiveDelayMs) override;
    void Send(std::vector<uint8_t> bytes) override;
    void Close() override;
    std::vector<uint8_t> Receive() override;
    void DiscardPendingInput() override;
    bool AwaitQuietLine(std::chrono::milliseconds limit, std::vector<uint8_t>& dropped) override;

    // The line a port is configured with: the library's enums mapped by name onto the serial
    // port's, the baud rate as a custom rate, the receive delay as the read timeout. A value
    // without an entry (parity Mark or Space, stop bits None or 1.5, data bits 0 or above 4)
    // takes the first value of the port's enum.
    static mn::CppLinuxSerial::LineSettings LineSettingsFor(const TavCommon::SerialPortSettings& settings,
                                                            int32_t receiveDelayMs);

private:
    struct Impl;
    Impl& Implementation();

    std::unique_ptr<Impl> impl_;
};

}  // namespace TavTransport
