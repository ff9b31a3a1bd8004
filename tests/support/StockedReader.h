#pragma once

#include <cstdint>
#include <vector>

#include "sim/SimulatedReader.h"

namespace TavTest {

// Gives a default simulated reader what a reader in use holds, so that every command has
// something to answer: an extended configuration in the 16-record layout in every configuration,
// two cards in the card analyzer and the same two presented (which the serial card analyzer
// reports).
void StockAsInUse(TavSim::SimulatedReader& reader);

// A valid 128-byte extended configuration as the reader stores it: a header with one field entry,
// 0xFF filler and the application data in the last two bytes.
std::vector<uint8_t> ValidExtendedImage();

}  // namespace TavTest
