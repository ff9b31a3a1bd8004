#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "sim/PseudoTerminal.h"
#include "sim/SerialDefinition.h"
#include "transport/SerialTransport.h"
#include "transport/TransportException.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A reader that sends a byte every 5 ms for as long as it lives: a reply that never ends.
class EndlessReply {
public:
    explicit EndlessReply(const TavTest::PseudoTerminal& pty)
        : writer_([this, &pty] {
              while (!stop_) {
                  pty.Write({'A'});
                  std::this_thread::sleep_for(milliseconds(5));
              }
          }) {}
    ~EndlessReply() {
        stop_ = true;
        writer_.join();
    }
    EndlessReply(const EndlessReply&) = delete;
    EndlessReply& operator=(const EndlessReply&) = delete;

private:
    std::atomic<bool> stop_{false};
    std::thread writer_;
};

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
    Bytes reply;
    Clock::duration elapsed{};
    {
        const EndlessReply endless(pty_);
        const auto start = Clock::now();
        reply = transport_.receive(payload_);
        elapsed = Clock::now() - start;
    }
    EXPECT_FALSE(reply.empty());
    EXPECT_GE(elapsed, milliseconds(100));
    EXPECT_LT(elapsed, milliseconds(1000));
}

// A reply that begins after its window stays on the line: the next phrase must not go out before
// it has come and gone, else it is read as that phrase's reply.
class SerialLineSettlingTest : public SerialTransportTimingTest {
protected:
    void SetUp() override {
        SerialTransportTimingTest::SetUp();
        transport_.setReceiveDelayMs(10);  // a window of 100 ms
    }

    // Transmits a frame and returns how long the transmit took.
    Clock::duration TimedTransmit() {
        TavTransport::TransportPayload frame{{0xFA, 0x05, 0x00, 0x00, 0x08}, 5, TavTransport::ReportType::Feature};
        const auto start = Clock::now();
        transport_.transmit(frame);
        return Clock::now() - start;
    }
};

TEST_F(SerialLineSettlingTest, AfterASilentWindowTheNextPhraseWaitsUntilTheLateReplyHasGone) {
    EXPECT_TRUE(transport_.receive(payload_).empty());
    std::thread reader([this] {
        std::this_thread::sleep_for(milliseconds(40));
        pty_.Write({0x0C, 0x90, 0x00});  // the reply to the phrase before, late
    });
    const auto waited = TimedTransmit();
    reader.join();
    // The late reply, then a whole quiet window.
    EXPECT_GE(waited, milliseconds(130));
    EXPECT_LT(waited, milliseconds(1400));
    EXPECT_EQ(pty_.Read(1000), (Bytes{0xFA, 0x05, 0x00, 0x00, 0x08}));
    pty_.Write({0x05, 0x01});
    EXPECT_EQ(transport_.receive(payload_), (Bytes{0x05, 0x01}));

    // A reply that came settles the line: the next phrase goes out at once.
    EXPECT_LT(TimedTransmit(), milliseconds(100));
}

TEST_F(SerialLineSettlingTest, AnUnreadableReplyMakesTheNextPhraseWaitForItsRest) {
    pty_.Write({0x05, 0x01});
    EXPECT_EQ(transport_.receive(payload_), (Bytes{0x05, 0x01}));
    transport_.replyUnreadable();
    std::thread reader([this] {
        std::this_thread::sleep_for(milliseconds(30));
        pty_.Write({0x90, 0x00});  // the rest of that reply, after a pause
    });
    EXPECT_GE(TimedTransmit(), milliseconds(120));
    reader.join();
    pty_.Write({0x0D, 0x03});
    EXPECT_EQ(transport_.receive(payload_), (Bytes{0x0D, 0x03}));
}

TEST_F(SerialLineSettlingTest, ALineThatNeverGoesQuietFailsThePhraseUnsent) {
    EXPECT_TRUE(transport_.receive(payload_).empty());
    Clock::duration elapsed{};
    {
        const EndlessReply endless(pty_);
        const auto start = Clock::now();
        try {
            TimedTransmit();
            ADD_FAILURE() << "a phrase went out on a line that never went quiet";
        } catch (const TavTransport::TransportException& error) {
            EXPECT_EQ(error.Message(),
                      "[SerialTransport] The serial line did not go quiet within 1000 ms after a late or unreadable "
                      "reply; the phrase was not sent.");
        }
        elapsed = Clock::now() - start;
    }
    EXPECT_GE(elapsed, TavTransport::SerialTransport::kQuietLineLimit);
    EXPECT_LT(elapsed, 10 * TavTransport::SerialTransport::kQuietLineLimit);
    EXPECT_TRUE(pty_.Read(100).empty());
}

}  // namespace
