#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "Tavelin/ProtocolCommandResult.h"

namespace TavProtocol {
class ProtocolFacade;
}

namespace TavTest {

// Every facade operation that runs a command visitor, once, with the visitor it runs. A visitor
// that no row reaches fails the catalogue test, so the facade fuzzer cannot forget it.
struct OperationEntry {
    std::string_view operation;  // the facade member
    std::string_view visitor;    // the visitor class it runs; empty for an operation made of several
    // Runs the operation with arguments made from one byte; argument 0 gives an operation that a
    // simulated reader of a protocol that has it answers without a failure.
    ProtocolCommandResult (*run)(const TavProtocol::ProtocolFacade& facade, uint8_t argument);
};

std::span<const OperationEntry> OperationCatalogue();

}  // namespace TavTest
