// What the serial line itself does to commands: late replies, a device that disappears.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <system_error>
#include <thread>

#include "serialBinary/GetBaudRateWithSerialBinaryProtocol.h"
#include "serialBinary/GetLuidWithSerialBinaryProtocol.h"
#include "serialBinary/SetLuidWithSerialBinaryProtocol.h"
#include "support/SerialLineFixture.h"
#include "transport/TransportException.h"

namespace {

using namespace TavProtocol;
using namespace std::chrono_literals;
using TavSim::Fault;
using TavTest::CatchProtocolFailure;
using TavTest::ProtocolFailure;

class SerialBinaryLineTest : public TavTest::SerialLineFixture {
protected:
    ProtocolFailure ReadLuid(LuidResponseInformation* result = nullptr) {
        return CatchProtocolFailure([&] {
            GetLuidWithSerialBinaryProtocol command;
            Run(command);
            if (result != nullptr) {
                *result = command.GetResult();
            }
        });
    }
};

TEST_F(SerialBinaryLineTest, AReplyTooLateForItsCommandIsNeverTakenForTheNext) {
    reader_.Model()->luid = 0x0102;
    frontEnd_.InjectFault(TavSim::FaultTrigger::OnCommand({0xFA, 0x0D, 0x01}), Fault::LateReply(250ms), 1);
    EXPECT_EQ(CatchProtocolFailure([&] {
                  GetBaudRateWithSerialBinaryProtocol command;
                  command.Execute(transport_);
                  command.ValidateResponse();
              }),
              (ProtocolFailure{"GetBaudRate command response is empty", "GetBaudRateWithSerialBinaryProtocol",
                               "ValidateResponse"}));
    std::this_thread::sleep_for(250ms);  // the baud-rate reply is on the line now
    LuidResponseInformation luid;
    EXPECT_EQ(ReadLuid(&luid), ProtocolFailure{});
    EXPECT_EQ(luid, (LuidResponseInformation{0x0102, 0x0102}));
}

TEST_F(SerialBinaryLineTest, AReaderThreadHeldUpLongerThanTheWindowStillAnswersInTime) {
    // The fixture's transport lets the reader answer before the window opens, so expectations
    // hold on a host loaded enough to leave the simulator's thread waiting.
    reader_.Model()->luid = 0x0102;
    line_.HoldUpNextRead(250ms);
    LuidResponseInformation luid;
    EXPECT_EQ(ReadLuid(&luid), ProtocolFailure{});
    EXPECT_EQ(luid, (LuidResponseInformation{0x0102, 0x0102}));
}

TEST_F(SerialBinaryLineTest, ALateReplyWithinTheWindowStillCounts) {
    Inject({0xFA, 0x05}, Fault::LateReply(40ms));
    EXPECT_EQ(ReadLuid(), ProtocolFailure{});
}

TEST_F(SerialBinaryLineTest, DeviceGoneFailsTheNextExchangeWithTheLinesError) {
    line_.Unplug();
    try {
        ReadLuid();
        FAIL() << "a command on an unplugged line succeeded";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), EIO);
        EXPECT_NE(std::string(error.what()).find("device gone"), std::string::npos) << error.what();
    }
    TavTransport::TransportPayload payload{{0xFA, 0x05, 0, 0, 0x08}, 5, TavTransport::ReportType::Feature};
    try {
        transport_.transmit(payload);
        FAIL() << "a write on an unplugged line succeeded";
    } catch (const TavTransport::TransportException& error) {
        EXPECT_TRUE(error.Message().starts_with("Failed to transmit over serial port. Message: 'Serial device gone: " +
                                                line_.SlaveName()))
            << error.Message();
    }
}

TEST_F(SerialBinaryLineTest, DeviceGoneWhileACommandWaitsForItsReply) {
    Inject({0xFA, 0x06}, Fault::DeviceGone());
    try {
        SetLuidWithSerialBinaryProtocol command(0x1234);
        command.Execute(transport_);
        FAIL() << "the exchange outlived its device";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), EIO);
    }
    EXPECT_FALSE(line_.Connected());
}

}  // namespace
