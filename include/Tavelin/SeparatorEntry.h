#pragma once

#include "Tavelin/Export.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "Tavelin/SeparatorCharacter.h"

namespace TavCommon {

// One separator of an extended configuration and the characters it emits. On the wire the entry
// takes two bytes; its characters follow after all entries.
struct TAV_API SeparatorEntry {
    static constexpr std::size_t kWireSize = 2;
    static constexpr std::size_t kMaxCharacters = 31;

    uint8_t SeparatorValid{};         // 0..1
    uint8_t CharacterSize{};          // 1..2 wire bytes per character
    uint8_t VirtualCharacterCount{};  // 0..31 characters in use
    uint8_t ByteOffset{};             // offset of its characters within the character area
    SeparatorCharacter Characters[kMaxCharacters]{};

    // Two bytes; each member cut to its wire bits.
    std::vector<uint8_t> ToVector() const;
    // Decodes the first two bytes; the characters come back zero.
    static SeparatorEntry FromVector(std::span<const uint8_t> bytes);
    // Checks the entry, then each character in use.
    void Validate() const;
    // The four members and the characters in use.
    bool operator==(const SeparatorEntry& other) const;
    bool operator!=(const SeparatorEntry& other) const { return !(*this == other); }
};

static_assert(sizeof(SeparatorEntry) == 66);
static_assert(offsetof(SeparatorEntry, Characters) == 4);

}  // namespace TavCommon
