#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/SerialBinaryFrontEnd.h"
#include "sim/SerialLineServer.h"
#include "sim/SimulatedReader.h"
#include "support/ProtocolFailure.h"
#include "transport/SerialTransport.h"

namespace TavTest {

// The library's serial transport on a simulated line, except that a transmit returns only once
// the reader has answered what was sent: its reply is waiting on the line when the receive window
// opens. On a loaded host the reader's thread may not run for more than one window (100 ms), and
// the library would rightly take it for a silent reader; a real reader answers within a few
// milliseconds. A reply delayed on purpose still runs against the window.
class AnsweredSerialTransport : public TavTransport::Transport {
public:
    explicit AnsweredSerialTransport(TavSim::SerialLineServer& line)
        : Transport(line.Definition()), line_(line), serial_(line.Definition()) {}

    void init(uint32_t retryCount) override { serial_.init(retryCount); }
    std::vector<uint8_t> receive(TavTransport::TransportPayload& payload) override { return serial_.receive(payload); }
    void transmit(TavTransport::TransportPayload& payload) override {
        serial_.transmit(payload);
        // Counted once the frame is out: what the transport dropped while its line settled was
        // written before and will never be waiting on the line. A reply written in the moment
        // between is waited for by the receive window, as on a real line.
        const uint64_t writtenBefore = line_.BytesWritten();
        sent_ += payload.data.size();
        // A reader that never answers is the library's to find out, in its window.
        line_.WaitUntilAnswered(sent_, writtenBefore, std::chrono::seconds(10));
    }
    void setReceiveDelayMs(uint32_t milliseconds) override {
        serial_.setReceiveDelayMs(milliseconds);
        Transport::setReceiveDelayMs(milliseconds);
    }
    void discardPendingInput() override { serial_.discardPendingInput(); }
    void replyUnreadable() override { serial_.replyUnreadable(); }

private:
    TavSim::SerialLineServer& line_;
    TavTransport::SerialTransport serial_;
    uint64_t sent_ = 0;
};

// A simulated serial-binary reader on a pseudo-terminal, opened by the library's serial transport
// exactly as a reader on /dev/ttyUSB0 would be. The receive delay is kept short so the tests stay
// fast; a silent reader still costs one receive window (about 100 ms).
class SerialLineFixture : public ::testing::Test {
protected:
    static constexpr uint32_t kReceiveDelayMs = 10;

    void SetUp() override {
        transport_.init(0);
        transport_.setReceiveDelayMs(kReceiveDelayMs);
    }

    // Exchanges the command over the line and checks the reply, as a visitor would.
    template <typename Command>
    void Run(Command& command) {
        command.Execute(transport_);
        command.ValidateResponse();
    }

    // The frames the reader received, in order.
    std::vector<std::vector<uint8_t>> Wire() const { return frontEnd_.ReceivedBytes(); }

    // Arms one fault for every frame of the command that starts with `prefix`, clearing others.
    void Inject(std::vector<uint8_t> prefix, TavSim::Fault fault) {
        frontEnd_.ClearFaults();
        frontEnd_.InjectFault(TavSim::FaultTrigger::OnCommand(std::move(prefix)), fault);
    }

    TavSim::SimulatedReader reader_;
    TavSim::SerialBinaryFrontEnd frontEnd_{reader_};
    TavSim::SerialLineServer line_{frontEnd_};
    AnsweredSerialTransport transport_{line_};
};

}  // namespace TavTest
