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
    TavTransport::SerialTransport transport_{line_.Definition()};
};

}  // namespace TavTest
