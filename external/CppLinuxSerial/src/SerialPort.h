#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "LineSettings.h"
#include "SerialPortEnums.h"

namespace mn::CppLinuxSerial {

// A Linux tty in raw mode, configured through termios2 so that any number of baud can be set.
// Settings changed while the port is open are applied to the line at once; the timeout only
// while it is closed.
class SerialPort {
public:
    SerialPort();
    SerialPort(const std::string& device, BaudRate baudRate);
    SerialPort(const std::string& device, uint32_t customBaudRate);
    SerialPort(const std::string& device, BaudRate baudRate, NumDataBits numDataBits, Parity parity,
               NumStopBits numStopBits);
    SerialPort(const std::string& device, BaudRate baudRate, NumDataBits numDataBits, Parity parity,
               NumStopBits numStopBits, HardwareFlowControl hardwareFlowControl,
               SoftwareFlowControl softwareFlowControl);
    virtual ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    void SetDevice(const std::string& device);
    void SetBaudRate(BaudRate baudRate);
    void SetBaudRate(uint32_t customBaudRate);
    void SetNumDataBits(NumDataBits numDataBits);
    void SetParity(Parity parity);
    void SetNumStopBits(NumStopBits numStopBits);
    void SetEcho(bool value);
    // -1 to 25500 ms, only while closed; applied at the next Open.
    void SetTimeout(int32_t timeoutMs);

    void Open();
    // Forgets the descriptor even when close() fails, so it is never closed twice.
    void Close();
    State GetState() const { return state_; }

    // Every byte, or an Exception once the line has taken no more for the time the bytes need at
    // the line's speed plus kWriteMargin; what was still queued is then discarded.
    void Write(const std::string& data);
    void WriteBinary(const std::vector<uint8_t>& data);
    // One read of at most 255 bytes, appended. Nothing appended when nothing is waiting; throws
    // std::system_error when the device has gone away.
    void Read(std::string& data);
    void ReadBinary(std::vector<uint8_t>& data);
    int32_t Available();
    // Waits up to timeoutMs for input (or a hang-up, which the next read reports); false when the
    // time ran out. Lets a caller sleep exactly until a reply arrives.
    bool WaitForInput(int32_t timeoutMs);

private:
    void ConfigureTermios();
    void ReconfigureIfOpen();
    void CheckPortOpen(const char* signature) const;
    size_t ReadInto(uint8_t* buffer, size_t size);
    void WriteAll(const uint8_t* data, size_t size);
    std::chrono::milliseconds WriteAllowance(size_t size) const;

    static constexpr std::chrono::milliseconds kWriteMargin{1000};

    State state_ = State::CLOSED;
    std::string device_;
    LineSettings settings_;
    int fileDesc_ = -1;
    // One read takes at most this much; the rest waits for the next read.
    std::array<uint8_t, 255> readBuffer_{};
};

}  // namespace mn::CppLinuxSerial
