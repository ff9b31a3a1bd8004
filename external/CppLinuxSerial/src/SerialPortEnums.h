#pragma once

namespace mn::CppLinuxSerial {

// The standard rates; each is set as its number of baud, like a custom rate.
enum class BaudRate {
    B_0,
    B_50,
    B_75,
    B_110,
    B_134,
    B_150,
    B_200,
    B_300,
    B_600,
    B_1200,
    B_1800,
    B_2400,
    B_4800,
    B_9600,
    B_19200,
    B_38400,
    B_57600,
    B_115200,
    B_230400,
    B_460800,
};

enum class BaudRateType { STANDARD, CUSTOM };
enum class NumDataBits { FIVE, SIX, SEVEN, EIGHT };
enum class Parity { NONE, EVEN, ODD };
enum class NumStopBits { ONE, TWO };
enum class HardwareFlowControl { OFF, ON };
enum class SoftwareFlowControl { OFF, ON };
enum class State { CLOSED, OPEN };

}  // namespace mn::CppLinuxSerial
