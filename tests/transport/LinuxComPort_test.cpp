#include <asm/termbits.h>
#include <gtest/gtest.h>

#include <string>

#include <vector>

#include "LineSettings.h"
#include "sim/PseudoTerminal.h"
#include "sim/SerialDefinition.h"
#include "transport/LinuxComPort.h"
#include "transport/TransportException.h"

namespace {

using TavCommon::SerialPortDataBits;
using TavCommon::SerialPortFlowControl;
using TavCommon::SerialPortParity;
using TavCommon::SerialPortStopBits;
using TavTransport::LinuxComPort;

// The line flags a reader definition's settings end up as. The pty driver forces 8 data bits and
// no parity, so this mapping is proven here, from the library's codes to termios2.
termios2 LineFor(uint8_t dataBits, uint8_t parity, uint8_t stopBits, uint8_t flowControl, uint32_t baud = 9600,
                 int32_t delay = 25) {
    TavCommon::SerialPortSettings settings{};
    settings.BaudRate = baud;
    settings.DataBits = dataBits;
    settings.Parity = parity;
    settings.StopBits = stopBits;
    settings.FlowControl = flowControl;
    termios2 tty{};
    mn::CppLinuxSerial::ApplyLineSettings(LinuxComPort::LineSettingsFor(settings, delay), tty);
    return tty;
}

template <typename E>
uint8_t Code(E value) {
    return static_cast<uint8_t>(value);
}

TEST(LinuxComPortMappingTest, DataBitCodesBecomeCharacterSizes) {
    const std::pair<uint8_t, tcflag_t> cases[] = {
        {Code(SerialPortDataBits::Five), CS5},    {Code(SerialPortDataBits::Six), CS6},
        {Code(SerialPortDataBits::Seven), CS7},   {Code(SerialPortDataBits::Eight), CS8},
        {Code(SerialPortDataBits::Invalid), CS5}, {5, CS5},
    };
    for (const auto& [code, size] : cases) {
        SCOPED_TRACE(static_cast<int>(code));
        EXPECT_EQ(LineFor(code, 0, 1, 0).c_cflag & CSIZE, size);
    }
}

TEST(LinuxComPortMappingTest, ParityIsMappedByNameNotByNumber) {
    const std::pair<SerialPortParity, tcflag_t> cases[] = {
        {SerialPortParity::None, 0},      {SerialPortParity::Odd, PARENB | PARODD},
        {SerialPortParity::Even, PARENB}, {SerialPortParity::Mark, 0},
        {SerialPortParity::Space, 0},
    };
    for (const auto& [parity, flags] : cases) {
        SCOPED_TRACE(static_cast<int>(parity));
        EXPECT_EQ(LineFor(4, Code(parity), 1, 0).c_cflag & (PARENB | PARODD), flags);
    }
}

TEST(LinuxComPortMappingTest, StopBitsWithoutAnEntryAreOne) {
    const std::pair<SerialPortStopBits, tcflag_t> cases[] = {
        {SerialPortStopBits::One, 0},
        {SerialPortStopBits::Two, CSTOPB},
        {SerialPortStopBits::None, 0},
        {SerialPortStopBits::OnePointFive, 0},
    };
    for (const auto& [stop, flags] : cases) {
        SCOPED_TRACE(static_cast<int>(stop));
        EXPECT_EQ(LineFor(4, 0, Code(stop), 0).c_cflag & CSTOPB, flags);
    }
}

TEST(LinuxComPortMappingTest, FlowControlSplitsIntoHardwareAndSoftware) {
    struct Case {
        SerialPortFlowControl flow;
        tcflag_t hardware;
        tcflag_t software;
    };
    constexpr tcflag_t kSoftware = IXON | IXOFF | IXANY;
    const Case cases[] = {
        {SerialPortFlowControl::None, 0, 0},         {SerialPortFlowControl::XonXoff, 0, kSoftware},
        {SerialPortFlowControl::RtsCts, CRTSCTS, 0}, {SerialPortFlowControl::XonXoffRtsCts, CRTSCTS, kSoftware},
        {SerialPortFlowControl::DtrDsr, CRTSCTS, 0}, {SerialPortFlowControl::XonXoffDtrDsr, CRTSCTS, kSoftware},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.flow));
        const termios2 tty = LineFor(4, 0, 1, Code(c.flow));
        EXPECT_EQ(tty.c_cflag & CRTSCTS, c.hardware);
        EXPECT_EQ(tty.c_iflag & kSoftware, c.software);
    }
}

TEST(LinuxComPortMappingTest, BaudIsACustomRateAndTheDelayTheReadTimeout) {
    const termios2 tty = LineFor(4, 0, 1, 0, 250000, 300);
    EXPECT_EQ(tty.c_cflag & CBAUD, static_cast<tcflag_t>(BOTHER));
    EXPECT_EQ(tty.c_ospeed, 250000u);
    EXPECT_EQ(tty.c_ispeed, 250000u);
    EXPECT_EQ(tty.c_cc[VTIME], 3);
    EXPECT_EQ(tty.c_cc[VMIN], 0);
}

// The message and the line of the record a transport error carries.
template <typename Action>
std::string TransportMessage(Action action) {
    try {
        action();
    } catch (const TavTransport::TransportException& error) {
        return error.Message() + " (line " + std::to_string(error.Line()) + ")";
    }
    return "no TransportException";
}

TEST(LinuxComPortTest, SendAndReceiveNeedAConfiguredPort) {
    TavTransport::LinuxComPort port;
    EXPECT_EQ(TransportMessage([&] { port.Send({0xFA}); }),
              "Cannot send data through unopened serial port. Must Configure() port first. (line 73)");
    EXPECT_EQ(TransportMessage([&] { port.Receive(); }),
              "Cannot receive data through unopened serial port. Must Configure() port first. (line 90)");

    TavTest::PseudoTerminal pty;
    port.Configure(TavTest::SerialDefinition(pty.SlaveName()).SerialPortSettings, 25);
    TavTransport::LinuxComPort moved(std::move(port));
    EXPECT_THROW(port.Send({0xFA}), TavTransport::TransportException);
    moved.Send({0xFA});
    EXPECT_EQ(pty.Read(1000), std::vector<uint8_t>{0xFA});
    moved.Close();
    EXPECT_THROW(moved.Send({0xFA}), TavTransport::TransportException);
}

}  // namespace
