#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "sim/FeatureReportFrontEnd.h"
#include "sim/SimulatedReader.h"
#include "support/InProcessTransport.h"
#include "support/ProtocolFailure.h"
#include "support/Wire.h"

namespace TavTest {

// A feature-report reader in process: commands run against it, and the test reads what it was
// sent from its record.
struct SimulatedFeatureReportReader {
    TavSim::SimulatedReader reader;
    TavSim::FeatureReportFrontEnd frontEnd{reader};
    InProcessTransport transport{frontEnd};

    std::vector<std::vector<uint8_t>> Sent() const { return frontEnd.ReceivedBytes(); }
    void FaultOnPhrase(std::size_t index, TavSim::Fault fault) {
        frontEnd.InjectFault(TavSim::FaultTrigger::OnPhrase(index), fault);
    }
    void FaultOnCommand(std::vector<uint8_t> prefix, TavSim::Fault fault) {
        frontEnd.InjectFault(TavSim::FaultTrigger::OnCommand(std::move(prefix)), fault);
    }
};

// The command after its exchange, its checks and result still to read.
template <typename Command>
Command Executed(Command command, TavTransport::Transport& transport) {
    command.Execute(transport);
    return command;
}

}  // namespace TavTest
