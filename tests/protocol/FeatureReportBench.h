#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/ProtocolException.h"
#include "sim/FeatureReportFrontEnd.h"
#include "sim/SimulatedReader.h"
#include "support/InProcessTransport.h"

namespace TavTest {

// A feature-report reader in process: commands run against it, and the test reads what it was
// sent from its record.
struct FeatureReportBench {
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

// An 8-byte request phrase as the wire carries it: the bytes given, then zeros.
inline std::vector<uint8_t> Phrase(std::initializer_list<uint8_t> bytes) {
    std::vector<uint8_t> phrase(bytes);
    phrase.resize(8, 0);
    return phrase;
}

// The exact failure a check must raise: its message, the class it names and the member.
struct ExpectedFailure {
    std::string message;
    std::string file;
    std::string function;
};

inline void ExpectProtocolFailure(const std::function<void()>& action, const ExpectedFailure& expected) {
    try {
        action();
        ADD_FAILURE() << "expected \"" << expected.message << "\"";
    } catch (const TavProtocol::ProtocolException& error) {
        EXPECT_EQ(error.Message(), expected.message);
        EXPECT_EQ(error.File(), expected.file);
        EXPECT_EQ(error.Function(), expected.function);
    }
}

}  // namespace TavTest
