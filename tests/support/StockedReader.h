#pragma once

#include "sim/SimulatedReader.h"

namespace TavTest {

// Gives a default simulated reader what a reader in use holds, so that every command has
// something to answer: an extended configuration in the 16-record layout in every configuration,
// two cards in the card analyzer and the same two presented (which the serial card analyzer
// reports).
void StockAsInUse(TavSim::SimulatedReader& reader);

}  // namespace TavTest
