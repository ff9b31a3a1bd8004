#pragma once

#include <cstdint>

#include "SerialPortEnums.h"

// From <asm/termbits.h>; only the translation units that talk to the kernel include it, since it
// cannot live beside <termios.h>.
struct termios2;

namespace mn::CppLinuxSerial {

// Everything a serial port sets on its line.
struct LineSettings {
    BaudRateType baudRateType = BaudRateType::STANDARD;
    BaudRate baudRateStandard = BaudRate::B_57600;
    uint32_t baudRateCustom = 0;
    NumDataBits numDataBits = NumDataBits::EIGHT;
    Parity parity = Parity::NONE;
    NumStopBits numStopBits = NumStopBits::ONE;
    HardwareFlowControl hardwareFlowControl = HardwareFlowControl::OFF;
    SoftwareFlowControl softwareFlowControl = SoftwareFlowControl::OFF;
    bool echo = false;
    // -1: a read waits for the first byte; 0: a read returns at once; else tenths of a second.
    int32_t timeoutMs = -1;
};

// The number of baud of a standard rate; std::runtime_error for a value outside the enum.
uint32_t BaudRateValue(BaudRate baudRate);

// Puts the settings into a line record read from the kernel, in raw mode: what the settings do
// not own (control characters other than VTIME and VMIN, other flags) is left as it was.
// Throws Exception for an enum value outside its range.
void ApplyLineSettings(const LineSettings& settings, termios2& tty);

}  // namespace mn::CppLinuxSerial
