#include "LineSettings.h"

#include <asm/termbits.h>

#include <algorithm>
#include <array>
#include <stdexcept>

#include "Exception.h"

namespace mn::CppLinuxSerial {

namespace {

// The lines these texts carry, whatever the layout of this file.
constexpr int kDataBitsLine = 186;
constexpr int kParityLine = 204;
constexpr int kStopBitsLine = 217;
constexpr int kFlowControlLine = 232;

constexpr std::array<uint32_t, 20> kStandardRates{0,    50,   75,   110,  134,   150,   200,   300,    600,    1200,
                                                  1800, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800};

void SetSpeed(termios2& tty, uint32_t baud) {
    // Both directions from the record's numbers, so any rate is possible.
    tty.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    tty.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tty.c_ispeed = baud;
    tty.c_ospeed = baud;
}

}  // namespace

uint32_t BaudRateValue(BaudRate baudRate) {
    const auto index = static_cast<unsigned>(baudRate);
    if (index >= kStandardRates.size()) {
        throw std::runtime_error(
            "baudRate passed to void mn::CppLinuxSerial::SerialPort::ConfigureTermios() unrecognized.");
    }
    return kStandardRates[index];
}

void ApplyLineSettings(const LineSettings& settings, termios2& tty) {
    tty.c_cflag &= ~CSIZE;
    switch (settings.numDataBits) {
    case NumDataBits::FIVE:
        tty.c_cflag |= CS5;
        break;
    case NumDataBits::SIX:
        tty.c_cflag |= CS6;
        break;
    case NumDataBits::SEVEN:
        tty.c_cflag |= CS7;
        break;
    case NumDataBits::EIGHT:
        tty.c_cflag |= CS8;
        break;
    default:
        THROW_EXCEPT_AT(kDataBitsLine, "numDataBits_ value not supported!");
    }
    switch (settings.parity) {
    case Parity::NONE:
        tty.c_cflag &= ~PARENB;
        break;
    case Parity::EVEN:
        tty.c_cflag |= PARENB;
        tty.c_cflag &= ~PARODD;
        break;
    case Parity::ODD:
        tty.c_cflag |= PARENB | PARODD;
        break;
    default:
        THROW_EXCEPT_AT(kParityLine, "parity_ value not supported!");
    }
    switch (settings.numStopBits) {
    case NumStopBits::ONE:
        tty.c_cflag &= ~CSTOPB;
        break;
    case NumStopBits::TWO:
        tty.c_cflag |= CSTOPB;
        break;
    default:
        THROW_EXCEPT_AT(kStopBitsLine, "numStopBits_ value not supported!");
    }
    switch (settings.hardwareFlowControl) {
    case HardwareFlowControl::OFF:
        tty.c_cflag &= ~CRTSCTS;
        break;
    case HardwareFlowControl::ON:
        tty.c_cflag |= CRTSCTS;
        break;
    default:
        THROW_EXCEPT_AT(kFlowControlLine, "flowControl_ value not supported!");
    }
    tty.c_cflag |= CREAD | CLOCAL;

    switch (settings.baudRateType) {
    case BaudRateType::STANDARD:
        SetSpeed(tty, BaudRateValue(settings.baudRateStandard));
        break;
    case BaudRateType::CUSTOM:
        SetSpeed(tty, settings.baudRateCustom);
        break;
    default:
        break;
    }

    tty.c_oflag = 0;

    if (settings.timeoutMs == -1) {
        tty.c_cc[VTIME] = 0;
        tty.c_cc[VMIN] = 1;
    } else if (settings.timeoutMs == 0) {
        tty.c_cc[VTIME] = 0;
        tty.c_cc[VMIN] = 0;
    } else {
        tty.c_cc[VTIME] = static_cast<cc_t>(std::min(settings.timeoutMs / 100, 255));
        tty.c_cc[VMIN] = 0;
    }

    if (settings.softwareFlowControl == SoftwareFlowControl::ON) {
        tty.c_iflag |= IXON | IXOFF | IXANY;
    } else {
        tty.c_iflag &= ~(IXON | IXOFF | IXANY);
    }
    tty.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL);

    tty.c_lflag &= ~ICANON;
    if (settings.echo) {
        tty.c_lflag |= ECHO;
    } else {
        tty.c_lflag &= ~ECHO;
    }
    tty.c_lflag &= ~(ECHOE | ECHONL | ISIG);
}

}  // namespace mn::CppLinuxSerial
