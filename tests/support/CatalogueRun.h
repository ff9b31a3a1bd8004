#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/CommandCatalogue.h"
#include "support/OperationCatalogue.h"

namespace TavTest {

// What one row of a catalogue met at a simulated reader.
struct CatalogueRun {
    std::vector<std::string> failures;          // messages of the failures, step by step
    std::vector<std::vector<uint8_t>> replies;  // every reply the reader gave, in order
};

// Runs the command, built from argument 0, in process against a simulated reader of its protocol
// stocked as a reader in use (StockedReader.h), with its bootloader entered for the firmware
// upgrade.
CatalogueRun RunOnSimulatedReader(const CommandEntry& command);

// Runs the operation, with argument 0 and no waits, on a facade opened through the transport
// factory over a stocked simulated reader of the protocol type given (1, 2 or 3).
CatalogueRun RunOnSimulatedFacade(const OperationEntry& operation, uint8_t protocolType);

}  // namespace TavTest
