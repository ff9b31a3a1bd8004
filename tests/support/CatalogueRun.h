#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/CommandCatalogue.h"

namespace TavTest {

// What one command of the catalogue met at a simulated reader of its protocol.
struct CatalogueRun {
    std::vector<std::string> failures;           // messages of the library failures, step by step
    std::vector<std::vector<uint8_t>> replies;  // every reply the reader gave, in order
};

// Runs the command, built from argument 0, against a default simulated reader of its protocol,
// in process, holding what a reader in use holds: an extended configuration in the 16-record
// layout, two cards presented (which the serial card analyzer reports) and two in the
// feature-report card analyzer, and, for the firmware upgrade, its bootloader entered.
CatalogueRun RunOnSimulatedReader(const CommandEntry& command);

}  // namespace TavTest
