#include <asm/termbits.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "Exception.h"
#include "SerialPort.h"
#include "sim/PseudoTerminal.h"
#include "support/OpenDescriptorCount.h"
#include "support/TempDir.h"

namespace {

using TavTest::OpenDescriptorCount;

using namespace mn::CppLinuxSerial;
using Bytes = std::vector<uint8_t>;

// The line as the kernel holds it, read through a descriptor of the test's own.
termios2 LineOf(const std::string& device) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios2 tty{};
    EXPECT_NE(fd, -1);
    EXPECT_EQ(::ioctl(fd, TCGETS2, &tty), 0);
    ::close(fd);
    return tty;
}

template <typename Action>
std::string ExceptionText(Action action) {
    try {
        action();
    } catch (const Exception& error) {
        return error.what();
    }
    return "no exception";
}

class SerialPortTest : public ::testing::Test {
protected:
    // A port on the pty as the serial transport opens one: 8N1, a custom rate, reads that return
    // at once.
    void OpenPort(uint32_t baud = 250000, int32_t timeoutMs = 25) {
        port_.SetDevice(pty_.SlaveName());
        port_.SetTimeout(timeoutMs);
        port_.SetBaudRate(baud);
        port_.Open();
    }

    TavTest::PseudoTerminal pty_;
    SerialPort port_;
};

TEST_F(SerialPortTest, OpenConfiguresTheLineAsAsked) {
    SerialPort port(pty_.SlaveName(), BaudRate::B_9600, NumDataBits::EIGHT, Parity::NONE, NumStopBits::TWO,
                    HardwareFlowControl::ON, SoftwareFlowControl::ON);
    port.SetTimeout(250);
    port.SetBaudRate(250000u);
    port.Open();
    ASSERT_EQ(port.GetState(), State::OPEN);

    const termios2 tty = LineOf(pty_.SlaveName());
    EXPECT_EQ(tty.c_cflag & CBAUD, static_cast<tcflag_t>(BOTHER));
    EXPECT_EQ(tty.c_ospeed, 250000u);
    EXPECT_EQ(tty.c_ispeed, 250000u);
    EXPECT_EQ(tty.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tty.c_cflag & CSTOPB, static_cast<tcflag_t>(CSTOPB));
    EXPECT_EQ(tty.c_cflag & CRTSCTS, static_cast<tcflag_t>(CRTSCTS));
    EXPECT_EQ(tty.c_iflag & (IXON | IXOFF | IXANY), static_cast<tcflag_t>(IXON | IXOFF | IXANY));
    EXPECT_EQ(tty.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tty.c_oflag, 0u);
    EXPECT_EQ(tty.c_cc[VTIME], 2);
    EXPECT_EQ(tty.c_cc[VMIN], 0);
}

TEST_F(SerialPortTest, SettingsChangedWhileOpenReachTheLineAtOnce) {
    OpenPort();
    port_.SetBaudRate(BaudRate::B_460800);
    port_.SetNumStopBits(NumStopBits::TWO);
    const termios2 tty = LineOf(pty_.SlaveName());
    EXPECT_EQ(tty.c_ospeed, 460800u);
    EXPECT_EQ(tty.c_cflag & CSTOPB, static_cast<tcflag_t>(CSTOPB));
}

TEST_F(SerialPortTest, TimeoutIsCheckedAndOnlySetWhileClosed) {
    const std::string prefix = "timeout_ms provided to void mn::CppLinuxSerial::SerialPort::SetTimeout(int32_t) was ";
    EXPECT_NO_THROW(port_.SetTimeout(25500));
    EXPECT_NO_THROW(port_.SetTimeout(-1));
    EXPECT_TRUE(
        ExceptionText([&] { port_.SetTimeout(25501); }).ends_with(":649: " + prefix + "> 25500, which is invalid."));
    EXPECT_TRUE(ExceptionText([&] { port_.SetTimeout(-2); }).ends_with(":647: " + prefix + "< -1, which is invalid."));
    OpenPort();
    EXPECT_TRUE(
        ExceptionText([&] {
            port_.SetTimeout(25);
        }).ends_with(":651: void mn::CppLinuxSerial::SerialPort::SetTimeout(int32_t) called while state == OPEN."));
}

TEST_F(SerialPortTest, BytesCrossTheLineBothWays) {
    OpenPort();
    port_.WriteBinary({0xFA, 0x0C, 0x00, 0x0D, 0x0A});
    port_.Write("ok");
    EXPECT_EQ(pty_.Read(1000), (Bytes{0xFA, 0x0C, 0x00, 0x0D, 0x0A, 'o', 'k'}));

    pty_.Write({0x0D, 0x0A, 0x90, 0x00});
    ASSERT_TRUE(port_.WaitForInput(1000));
    EXPECT_EQ(port_.Available(), 4);
    Bytes received{0x01};
    port_.ReadBinary(received);
    EXPECT_EQ(received, (Bytes{0x01, 0x0D, 0x0A, 0x90, 0x00}));

    pty_.Write({'h', 'i'});
    ASSERT_TRUE(port_.WaitForInput(1000));
    std::string text = ">";
    port_.Read(text);
    EXPECT_EQ(text, ">hi");
}

TEST_F(SerialPortTest, OneReadTakesAtMost255Bytes) {
    OpenPort();
    pty_.Write(Bytes(300, 0x55));
    ASSERT_TRUE(port_.WaitForInput(1000));
    while (port_.Available() < 300) {
        ASSERT_TRUE(port_.WaitForInput(1000));
    }
    Bytes received;
    port_.ReadBinary(received);
    EXPECT_EQ(received.size(), 255u);
    port_.ReadBinary(received);
    EXPECT_EQ(received.size(), 300u);
}

TEST_F(SerialPortTest, ReadOnASilentLineReturnsAtOnceWithNothing) {
    OpenPort(250000, 25);
    // A timeout under the line's tenth of a second: the kernel is told neither to wait for a byte
    // nor to wait for a time, so no read can block, however loaded the machine.
    const termios2 tty = LineOf(pty_.SlaveName());
    ASSERT_EQ(tty.c_cc[VMIN], 0);
    ASSERT_EQ(tty.c_cc[VTIME], 0);
    Bytes received;
    port_.ReadBinary(received);
    EXPECT_TRUE(received.empty());
    EXPECT_FALSE(port_.WaitForInput(10));
}

TEST_F(SerialPortTest, DeviceGoneFailsReadsAndWritesWithTheRealError) {
    OpenPort();
    pty_.CloseMaster();
    try {
        Bytes received;
        port_.ReadBinary(received);
        FAIL() << "read on a hung-up line succeeded";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::error_code(EIO, std::system_category()));
        EXPECT_NE(std::string(error.what()).find("device gone"), std::string::npos) << error.what();
    }
    try {
        port_.WriteBinary({0xFA});
        FAIL() << "write on a hung-up line succeeded";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::error_code(EIO, std::system_category()));
    }
}

TEST_F(SerialPortTest, OperationsOnAPortNeverOpenedNameThemselves) {
    const std::string suffix = " called but state != OPEN. Please call Open() first.";
    Bytes bytes;
    std::string text;
    const std::pair<std::string, std::string> cases[] = {
        {ExceptionText([&] { port_.ReadBinary(bytes); }),
         "void mn::CppLinuxSerial::SerialPort::ReadBinary(std::vector<unsigned char>&)"},
        {ExceptionText([&] { port_.Read(text); }), "void mn::CppLinuxSerial::SerialPort::Read(std::string&)"},
        {ExceptionText([&] { port_.WriteBinary(bytes); }),
         "void mn::CppLinuxSerial::SerialPort::WriteBinary(const std::vector<unsigned char>&)"},
        {ExceptionText([&] { port_.Write(text); }), "void mn::CppLinuxSerial::SerialPort::Write(const std::string&)"},
        {ExceptionText([&] { port_.Available(); }), "int32_t mn::CppLinuxSerial::SerialPort::Available()"},
    };
    for (const auto& [message, signature] : cases) {
        // The source location comes first: the file as the build records it, its line, the text.
        EXPECT_NE(message.find("SerialPort.cpp:"), std::string::npos) << message;
        EXPECT_TRUE(message.ends_with(":625: " + signature + suffix)) << message;
    }
}

TEST_F(SerialPortTest, OpenFailuresLeaveNothingOpen) {
    SerialPort unnamed;
    EXPECT_TRUE(ExceptionText([&] {
                    unnamed.Open();
                }).ends_with(":134: Attempted to open file when file path has not been assigned to."));

    SerialPort missing("/dev/does-not-exist", BaudRate::B_9600);
    EXPECT_TRUE(ExceptionText([&] { missing.Open(); })
                    .ends_with(":146: Could not open device \"/dev/does-not-exist\". Is the device name correct and do "
                               "you have read/write permissions?"));
    EXPECT_EQ(missing.GetState(), State::CLOSED);

    const size_t before = OpenDescriptorCount();
    SerialPort notATty("/dev/null", BaudRate::B_9600);
    const std::string message = ExceptionText([&] { notATty.Open(); });
    EXPECT_NE(message.find("/dev/null"), std::string::npos) << message;
    EXPECT_NE(message.find(std::generic_category().message(ENOTTY)), std::string::npos) << message;
    EXPECT_EQ(notATty.GetState(), State::CLOSED);
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_NO_THROW(notATty.Close());
}

TEST_F(SerialPortTest, CloseReleasesTheDescriptorOnce) {
    const size_t before = OpenDescriptorCount();
    OpenPort();
    EXPECT_EQ(OpenDescriptorCount(), before + 1);
    port_.Close();
    EXPECT_EQ(port_.GetState(), State::CLOSED);
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_NO_THROW(port_.Close());
    OpenPort();
    EXPECT_EQ(port_.GetState(), State::OPEN);
}

// A FIFO (whose peer would otherwise see it opened) and a regular file are refused before they
// are opened; a device that is no terminal is refused once its line settings cannot be read.
TEST_F(SerialPortTest, WhatIsNotATerminalIsRefusedAtOnce) {
    const TavTest::TempDir folder;
    const auto fifo = folder.Path() / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto file = folder.Path() / "file";
    std::ofstream(file) << "not a line\n";
    const std::pair<std::string, std::string> cases[] = {
        {fifo.string(), "\"" + fifo.string() + "\" is not a terminal"},
        {file.string(), "\"" + file.string() + "\" is not a terminal"},
        {"/dev/null", "Could not read the line settings of \"/dev/null\": " + std::generic_category().message(ENOTTY)},
    };
    for (const auto& [path, message] : cases) {
        SCOPED_TRACE(path);
        const size_t before = OpenDescriptorCount();
        SerialPort port(path, BaudRate::B_9600);
        const auto start = std::chrono::steady_clock::now();
        const std::string thrown = ExceptionText([&] { port.Open(); });
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_TRUE(thrown.ends_with(message)) << thrown;
        EXPECT_EQ(port.GetState(), State::CLOSED);
        EXPECT_EQ(OpenDescriptorCount(), before);
    }
}

}  // namespace
