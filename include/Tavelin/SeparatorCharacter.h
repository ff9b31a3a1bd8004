#pragma once

#include "Tavelin/Export.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace TavCommon {

// One character a separator emits: a USB key scan code and, for two-byte characters, a second byte.
struct TAV_API SeparatorCharacter {
    uint8_t USBKeyScanCode{};  // 0..231
    uint8_t SecondByte{};      // not validated

    // One byte when characterSize is below 2, else two.
    std::vector<uint8_t> ToVector(uint8_t characterSize) const;
    // Needs one byte; a second, when given, becomes SecondByte.
    static SeparatorCharacter FromVector(std::span<const uint8_t> bytes);
    void Validate() const;
    bool operator==(const SeparatorCharacter& other) const;
    bool operator!=(const SeparatorCharacter& other) const { return !(*this == other); }
};

static_assert(sizeof(SeparatorCharacter) == 2);

}  // namespace TavCommon
