#include <asm/termbits.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

#include "Exception.h"
#include "sim/PseudoTerminal.h"
#include "sim/SerialDefinition.h"
#include "support/OpenDescriptorCount.h"
#include "transport/SerialTransport.h"
#include "transport/TransportException.h"

namespace {

using TavTest::OpenDescriptorCount;

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using TavTransport::SerialTransport;
using TavTransport::TransportException;
using TavTransport::TransportPayload;

TransportPayload Payload(const Bytes& bytes) {
    return TransportPayload{bytes, static_cast<uint16_t>(bytes.size()), TavTransport::ReportType::Feature};
}

template <typename Action>
TransportException CaughtTransportException(Action action) {
    try {
        action();
    } catch (const TransportException& error) {
        return error;
    }
    ADD_FAILURE() << "no TransportException";
    return TransportException("none", "none", 0, "none");
}

TEST(SerialTransportSettingsTest, EveryBadSettingIsRefusedBeforeAPortIsTouched) {
    struct Case {
        const char* name;
        void (*spoil)(TavCommon::SerialPortSettings&);
        const char* message;
        int line;
    };
    const Case cases[] = {
        {"baud 0, data bits 0",
         [](auto& s) {
             s.BaudRate = 0;
             s.DataBits = 0;
         },
         "Invalid baud rate specified for SerialTransport", 98},
        {"data bits 0", [](auto& s) { s.DataBits = 0; }, "Invalid data bits specified for SerialTransport", 102},
        {"data bits 5", [](auto& s) { s.DataBits = 5; }, "Invalid data bits specified for SerialTransport", 102},
        {"data bits 255", [](auto& s) { s.DataBits = 255; }, "Invalid data bits specified for SerialTransport", 102},
        {"no port name", [](auto& s) { s.PortName[0] = '\0'; }, "Port name cannot be empty for SerialTransport", 106},
        {"byte size 0", [](auto& s) { s.ByteSize = 0; }, "Byte size must be greater than 0 for SerialTransport", 110},
        {"byte size -8", [](auto& s) { s.ByteSize = -8; }, "Byte size must be greater than 0 for SerialTransport", 110},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto definition = TavTest::SerialDefinition("/dev/does-not-exist");
        c.spoil(definition.SerialPortSettings);
        const auto error = CaughtTransportException([&] { SerialTransport transport(definition); });
        EXPECT_EQ(error.Message(), c.message);
        EXPECT_EQ(error.File(), "SerialTransport");
        EXPECT_EQ(error.Line(), c.line);
        EXPECT_EQ(error.Function(), "validatePortSettings");
    }
}

TEST(SerialTransportSettingsTest, PortNameIsReadWithinItsField) {
    auto definition = TavTest::SerialDefinition("");
    std::memset(definition.SerialPortSettings.PortName, 'x', sizeof definition.SerialPortSettings.PortName);
    SerialTransport transport(definition);
    try {
        transport.init(0);
        FAIL() << "a 256-character name opened";
    } catch (const mn::CppLinuxSerial::Exception& error) {
        EXPECT_NE(std::string(error.what()).find('"' + std::string(256, 'x') + '"'), std::string::npos);
    }
}

TEST(SerialTransportSettingsTest, ReceiveDelayOutsideOneTo25500IsRefused) {
    SerialTransport transport(TavTest::SerialDefinition("/dev/does-not-exist"));
    for (uint32_t delay : {0u, 25501u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(delay);
        const auto error = CaughtTransportException([&] { transport.setReceiveDelayMs(delay); });
        EXPECT_EQ(error.Message(),
                  "Receive delay must be between 1 and 25500 ms for SerialTransport, got " + std::to_string(delay));
    }
    EXPECT_EQ(transport.receiveDelayMs(), 25u);
    transport.setReceiveDelayMs(25500);
    EXPECT_EQ(transport.receiveDelayMs(), 25500u);
}

TEST(SerialTransportSettingsTest, NothingMovesBeforeInit) {
    SerialTransport transport(TavTest::SerialDefinition("/dev/does-not-exist"));
    auto payload = Payload({0xFA});
    const auto transmit = CaughtTransportException([&] { transport.transmit(payload); });
    EXPECT_EQ(transmit.Message(), "Serial port not connected. Run init() first.");
    EXPECT_EQ(transmit.Line(), 62);
    const auto receive = CaughtTransportException([&] { transport.receive(payload); });
    EXPECT_EQ(receive.Message(), "[SerialTransport] Serial port not connected. Run init() first.");
    EXPECT_EQ(receive.Line(), 44);
    EXPECT_NO_THROW(transport.discardPendingInput());
}

TEST(SerialTransportSettingsTest, FailedInitLeavesTheTransportUnconnected) {
    SerialTransport transport(TavTest::SerialDefinition("/dev/does-not-exist"));
    EXPECT_THROW(transport.init(0), mn::CppLinuxSerial::Exception);
    auto payload = Payload({0xFA});
    EXPECT_THROW(transport.transmit(payload), TransportException);
}

class SerialTransportPtyTest : public ::testing::Test {
protected:
    TavTest::PseudoTerminal pty_;
    SerialTransport transport_{TavTest::SerialDefinition(pty_.SlaveName())};
};

TEST_F(SerialTransportPtyTest, InitConfiguresTheLineFromTheDefinition) {
    auto definition = TavTest::SerialDefinition(pty_.SlaveName(), 250000);
    definition.SerialPortSettings.StopBits = static_cast<uint8_t>(TavCommon::SerialPortStopBits::Two);
    definition.SerialPortSettings.FlowControl = static_cast<uint8_t>(TavCommon::SerialPortFlowControl::DtrDsr);
    SerialTransport transport(definition);
    transport.init(5);

    const int fd = ::open(pty_.SlaveName().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_NE(fd, -1);
    termios2 tty{};
    ASSERT_EQ(::ioctl(fd, TCGETS2, &tty), 0);
    ::close(fd);
    EXPECT_EQ(tty.c_cflag & CBAUD, static_cast<tcflag_t>(BOTHER));
    EXPECT_EQ(tty.c_ospeed, 250000u);
    EXPECT_EQ(tty.c_ispeed, 250000u);
    EXPECT_EQ(tty.c_cflag & CSTOPB, static_cast<tcflag_t>(CSTOPB));
    EXPECT_EQ(tty.c_cflag & CRTSCTS, static_cast<tcflag_t>(CRTSCTS));
    EXPECT_EQ(tty.c_iflag & (IXON | IXOFF), 0u);
    EXPECT_EQ(tty.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(tty.c_cc[VTIME], 0);
    EXPECT_EQ(tty.c_cc[VMIN], 0);
}

TEST_F(SerialTransportPtyTest, TransmitSendsThePhraseWhole) {
    transport_.init(0);
    auto payload = Payload({0xFA, 0x09, 0x82, 0x01, 0x02, 0x00, 0x00});
    transport_.transmit(payload);
    EXPECT_EQ(pty_.Read(1000), payload.data);
}

TEST_F(SerialTransportPtyTest, ReceiveReturnsTheReplyWhateverLengthWasAsked) {
    transport_.init(0);
    const Bytes reply{0x05, 0x78, 0x56, 0x34, 0x12, 0x00, 0x00, 0x00, 0x01, 0x90, 0x00};
    pty_.Write(reply);
    auto payload = Payload({0xFA, 0x05, 0x00, 0x00, 0x08});
    payload.length = 8;
    EXPECT_EQ(transport_.receive(payload), reply);
}

TEST_F(SerialTransportPtyTest, ASilentReaderYieldsNothingAfterTheWindow) {
    transport_.init(0);
    auto payload = Payload({});
    const auto start = Clock::now();
    EXPECT_TRUE(transport_.receive(payload).empty());
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, milliseconds(100));
    EXPECT_LT(elapsed, milliseconds(1000));
}

TEST_F(SerialTransportPtyTest, ReceiveDelayPacesTheWindowOnALiveConnection) {
    transport_.init(0);
    transport_.setReceiveDelayMs(60);
    auto payload = Payload({});
    auto start = Clock::now();
    EXPECT_TRUE(transport_.receive(payload).empty());
    // The first multiple of 60 ms above 99 ms.
    EXPECT_GE(Clock::now() - start, milliseconds(120));

    // One quiet delay ends a reply; a delay of 1 ms gives a window of 100 ms, far enough apart to
    // tell which of them ended it on a loaded machine.
    transport_.setReceiveDelayMs(1);
    pty_.Write({0x90, 0x00});
    ASSERT_TRUE(pty_.WaitUntilDelivered(2));
    start = Clock::now();
    EXPECT_EQ(transport_.receive(payload), (Bytes{0x90, 0x00}));
    EXPECT_GE(Clock::now() - start, milliseconds(1));
    EXPECT_LT(Clock::now() - start, milliseconds(100));
}

TEST_F(SerialTransportPtyTest, InputFromBeforeACommandIsDropped) {
    pty_.Write({0xEE, 0xEE});
    ASSERT_TRUE(pty_.WaitUntilDelivered(2));
    transport_.init(0);
    auto payload = Payload({});
    pty_.Write({0x0D, 0x03});
    EXPECT_EQ(transport_.receive(payload), (Bytes{0x0D, 0x03}));

    pty_.Write({0x0C, 0x90, 0x00});  // a reply that came too late for its command
    ASSERT_TRUE(pty_.WaitUntilDelivered(3));
    transport_.discardPendingInput();
    pty_.Write({0x90, 0x00});
    EXPECT_EQ(transport_.receive(payload), (Bytes{0x90, 0x00}));
}

TEST_F(SerialTransportPtyTest, InitAgainReopensWithoutLeaking) {
    transport_.init(0);
    const size_t open = OpenDescriptorCount();
    transport_.init(0);
    EXPECT_EQ(OpenDescriptorCount(), open);
    auto payload = Payload({0xFA, 0x03, 0x00, 0x00, 0x00});
    transport_.transmit(payload);
    EXPECT_EQ(pty_.Read(1000), payload.data);
}

TEST_F(SerialTransportPtyTest, DeviceGoneFailsReceiveAndTransmit) {
    transport_.init(0);
    pty_.CloseMaster();
    auto payload = Payload({0xFA, 0x0D, 0x01, 0x00, 0x00});
    try {
        transport_.receive(payload);
        FAIL() << "receive on a hung-up line succeeded";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), EIO);
        EXPECT_NE(std::string(error.what()).find("device gone"), std::string::npos) << error.what();
    }
    const auto error = CaughtTransportException([&] { transport_.transmit(payload); });
    EXPECT_TRUE(error.Message().starts_with("Failed to transmit over serial port. Message: '")) << error.Message();
    EXPECT_TRUE(error.Message().ends_with(std::generic_category().message(EIO) + "'")) << error.Message();
    EXPECT_EQ(error.File(), "LinuxComPort");
    EXPECT_EQ(error.Line(), 81);
    EXPECT_EQ(error.Function(), "Send");
}

}  // namespace
