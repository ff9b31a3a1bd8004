#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "sim/PseudoTerminal.h"
#include "sim/SerialDefinition.h"
#include "transport/SerialTransport.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class SerialTransportTimingTest : public ::testing::Test {
protected:
    void SetUp() override { transport_.init(0); }

    TavTest::PseudoTerminal pty_;
    TavTransport::SerialTransport transport_{TavTest::SerialDefinition(pty_.SlaveName())};
    TavTransport::TransportPayload payload_{{}, 8, TavTransport::ReportType::Feature};
};

TEST_F(SerialTransportTimingTest, AReplyInTwoPiecesIsReturnedWhole) {
    // A quiet delay twenty times the gap between the pieces: a loaded machine may stretch the gap.
    transport_.setReceiveDelayMs(200);
    std::thread reader([this] {
        pty_.Write({0x0C, 0x01, 0x02, 0x03, 0x04, 0x05});
        std::this_thread::sleep_for(milliseconds(10));
        pty_.Write({0x06, 0x07, 0x08, 0x09, 0x90, 0x00});
    });
    const Bytes reply = transport_.receive(payload_);
    reader.join();
    EXPECT_EQ(reply, (Bytes{0x0C, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x90, 0x00}));
}

TEST_F(SerialTransportTimingTest, AReplyStartingLateInTheWindowIsStillTaken) {
    // A quiet delay of 1 ms gives a window of 100 ms: a reply ten quiet delays late is still in it,
    // with room to spare for a loaded machine.
    transport_.setReceiveDelayMs(1);
    std::thread reader([this] {
        std::this_thread::sleep_for(milliseconds(10));
        pty_.Write({0x0D, 0x90, 0x00});
    });
    const Bytes reply = transport_.receive(payload_);
    reader.join();
    EXPECT_EQ(reply, (Bytes{0x0D, 0x90, 0x00}));
}

TEST_F(SerialTransportTimingTest, AReplyThatNeverEndsIsCutAtTheWindow) {
    // Bytes every 5 ms against a quiet delay of 50 ms (window 100 ms): a loaded machine may stretch
    // the gaps, but not so far that the reply seems to end.
    transport_.setReceiveDelayMs(50);
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        while (!stop) {
            pty_.Write({'A'});
            std::this_thread::sleep_for(milliseconds(5));
        }
    });
    const auto start = Clock::now();
    const Bytes reply = transport_.receive(payload_);
    const auto elapsed = Clock::now() - start;
    stop = true;
    reader.join();
    EXPECT_FALSE(reply.empty());
    EXPECT_GE(elapsed, milliseconds(100));
    EXPECT_LT(elapsed, milliseconds(1000));
}

}  // namespace
