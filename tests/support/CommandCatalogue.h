#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "support/Wire.h"
#include "transport/Transport.h"

namespace TavTest {

// One step of a command's run: its exchange, one of its checks or one of its decoders.
using Step = std::function<void()>;
// Runs each step; the fuzzers let the library's own failures pass step by step, the tests report
// them.
using StepRunner = std::function<void(const Step&)>;

// Every command class of every wire protocol, once. A command added to the library and missing
// here fails the catalogue test, so the reply fuzzers and the simulator checks cannot forget it.
struct CommandEntry {
    std::string_view name;  // the class's name, as its header is named
    Wire protocol;
    // Builds the command from one argument byte, runs the exchange over the transport, then each of
    // its checks and decoders as a step of its own. Argument 0 gives a command that a default
    // simulated reader answers without a failure.
    void (*run)(TavTransport::Transport& transport, uint8_t argument, const StepRunner& step);
};

std::span<const CommandEntry> CommandCatalogue();

}  // namespace TavTest
