#include <asm/termbits.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "Exception.h"
#include "LineSettings.h"

namespace {

using namespace mn::CppLinuxSerial;

// A record as a cooked terminal has it, every flag the raw line must clear set.
termios2 CookedLine() {
    termios2 tty{};
    tty.c_iflag = IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY;
    tty.c_oflag = OPOST | ONLCR;
    tty.c_cflag = B38400 | CS7 | PARENB | PARODD | CSTOPB | CRTSCTS;
    tty.c_lflag = ICANON | ECHO | ECHOE | ECHONL | ISIG;
    tty.c_cc[VTIME] = 9;
    tty.c_cc[VMIN] = 9;
    return tty;
}

struct FlagCase {
    const char* name;
    LineSettings settings;
    tcflag_t cflagMask;
    tcflag_t cflagExpected;
    tcflag_t iflagExpected;  // of IXON | IXOFF | IXANY
};

LineSettings With(NumDataBits bits, Parity parity, NumStopBits stop, HardwareFlowControl hardware,
                  SoftwareFlowControl software) {
    LineSettings settings;
    settings.numDataBits = bits;
    settings.parity = parity;
    settings.numStopBits = stop;
    settings.hardwareFlowControl = hardware;
    settings.softwareFlowControl = software;
    return settings;
}

constexpr tcflag_t kLineBits = CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS;
// Without parity the odd/even choice means nothing and is left as it was.
constexpr tcflag_t kLineBitsNoParity = kLineBits & ~PARODD;
constexpr tcflag_t kSoftwareFlow = IXON | IXOFF | IXANY;
using B = NumDataBits;
using P = Parity;
using S = NumStopBits;
using H = HardwareFlowControl;
using W = SoftwareFlowControl;

TEST(LineSettingsTest, FramingAndFlowControlBecomeTheirFlags) {
    const FlagCase cases[] = {
        {"8N1", With(B::EIGHT, P::NONE, S::ONE, H::OFF, W::OFF), kLineBitsNoParity, CS8, 0},
        {"7E1", With(B::SEVEN, P::EVEN, S::ONE, H::OFF, W::OFF), kLineBits, CS7 | PARENB, 0},
        {"6O2", With(B::SIX, P::ODD, S::TWO, H::OFF, W::OFF), kLineBits, CS6 | PARENB | PARODD | CSTOPB, 0},
        {"5N2 rts/cts", With(B::FIVE, P::NONE, S::TWO, H::ON, W::OFF), kLineBitsNoParity, CS5 | CSTOPB | CRTSCTS, 0},
        {"8N1 xon/xoff", With(B::EIGHT, P::NONE, S::ONE, H::OFF, W::ON), kLineBitsNoParity, CS8, kSoftwareFlow},
        {"8E1 both", With(B::EIGHT, P::EVEN, S::ONE, H::ON, W::ON), kLineBits, CS8 | PARENB | CRTSCTS, kSoftwareFlow},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        termios2 tty = CookedLine();
        ApplyLineSettings(c.settings, tty);
        EXPECT_EQ(tty.c_cflag & c.cflagMask, c.cflagExpected);
        EXPECT_EQ(tty.c_cflag & (CREAD | CLOCAL), CREAD | CLOCAL);
        EXPECT_EQ(tty.c_iflag & kSoftwareFlow, c.iflagExpected);
    }
}

TEST(LineSettingsTest, LineIsRawWhateverItWasBefore) {
    termios2 tty = CookedLine();
    ApplyLineSettings(LineSettings{}, tty);
    EXPECT_EQ(tty.c_iflag & (IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL), 0u);
    EXPECT_EQ(tty.c_oflag, 0u);
    EXPECT_EQ(tty.c_lflag & (ICANON | ECHO | ECHOE | ECHONL | ISIG), 0u);

    LineSettings echoing;
    echoing.echo = true;
    ApplyLineSettings(echoing, tty);
    EXPECT_EQ(tty.c_lflag & ECHO, static_cast<tcflag_t>(ECHO));
}

TEST(LineSettingsTest, AnyRateIsSetAsANumberInBothDirections) {
    LineSettings custom;
    custom.baudRateType = BaudRateType::CUSTOM;
    custom.baudRateCustom = 250000;
    LineSettings standard;
    standard.baudRateStandard = BaudRate::B_460800;
    const std::pair<LineSettings, speed_t> cases[] = {{custom, 250000}, {standard, 460800}, {LineSettings{}, 57600}};
    for (const auto& [settings, rate] : cases) {
        SCOPED_TRACE(rate);
        termios2 tty = CookedLine();
        ApplyLineSettings(settings, tty);
        EXPECT_EQ(tty.c_cflag & CBAUD, static_cast<tcflag_t>(BOTHER));
        EXPECT_EQ((tty.c_cflag >> IBSHIFT) & CBAUD, static_cast<tcflag_t>(BOTHER));
        EXPECT_EQ(tty.c_ospeed, rate);
        EXPECT_EQ(tty.c_ispeed, rate);
    }
}

TEST(LineSettingsTest, TimeoutBecomesTenthsOfASecond) {
    struct Case {
        int32_t timeoutMs;
        cc_t vtime;
        cc_t vmin;
    };
    const Case cases[] = {{-1, 0, 1}, {0, 0, 0}, {25, 0, 0}, {99, 0, 0}, {100, 1, 0}, {250, 2, 0}, {25500, 255, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.timeoutMs);
        LineSettings settings;
        settings.timeoutMs = c.timeoutMs;
        termios2 tty = CookedLine();
        ApplyLineSettings(settings, tty);
        EXPECT_EQ(tty.c_cc[VTIME], c.vtime);
        EXPECT_EQ(tty.c_cc[VMIN], c.vmin);
    }
}

TEST(LineSettingsTest, ValuesOutsideTheirEnumAreRefused) {
    const auto expectRefused = [](LineSettings settings, const std::string& text, int line) {
        termios2 tty{};
        try {
            ApplyLineSettings(settings, tty);
            ADD_FAILURE() << "no exception for " << text;
        } catch (const Exception& error) {
            EXPECT_EQ(std::string(static_cast<const std::runtime_error&>(error).std::runtime_error::what()), text);
            EXPECT_TRUE(std::string(error.what()).ends_with(":" + std::to_string(line) + ": " + text)) << error.what();
        }
    };
    LineSettings settings;
    settings.numDataBits = static_cast<NumDataBits>(4);
    expectRefused(settings, "numDataBits_ value not supported!", 186);
    settings = {};
    settings.parity = static_cast<Parity>(3);
    expectRefused(settings, "parity_ value not supported!", 204);
    settings = {};
    settings.numStopBits = static_cast<NumStopBits>(2);
    expectRefused(settings, "numStopBits_ value not supported!", 217);
    settings = {};
    settings.hardwareFlowControl = static_cast<HardwareFlowControl>(2);
    expectRefused(settings, "flowControl_ value not supported!", 232);

    settings = {};
    settings.baudRateStandard = static_cast<BaudRate>(20);
    termios2 tty{};
    EXPECT_THROW(
        {
            try {
                ApplyLineSettings(settings, tty);
            } catch (const std::runtime_error& error) {
                EXPECT_STREQ(error.what(),
                             "baudRate passed to void mn::CppLinuxSerial::SerialPort::ConfigureTermios() "
                             "unrecognized.");
                throw;
            }
        },
        std::runtime_error);
}

}  // namespace
