#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "common/CardType.h"

// Turns a card-type code read from a reader into catalogue entries. A code whose bits 4 to 7 are
// zero may stand for a whole family of variants that differ only in those bits.
namespace TavCommon::CardTypeResolver {

// The card type a reader is configured for. A family code that is not itself a catalogue entry
// throws ElvarinException; an unknown specific code is empty.
std::optional<CardType> ResolveConfiguredCardType(uint16_t code);

// The catalogue entries one code reported by a reader stands for, in catalogue order: a family code
// gives every variant of the family, a specific code its own entry. An untracked code throws
// ElvarinException.
std::vector<CardType> ResolveSupportedCardType(uint16_t code);

}  // namespace TavCommon::CardTypeResolver
