#pragma once

#include "Tavelin/Export.h"

#include <cstdint>

namespace TavProtocol {

// The reader's LUID answer: two 32-bit words, the first sent little-endian, the second big-endian.
struct LuidResponseInformation {
    uint32_t FirstWord = 0;
    uint32_t SecondWord = 0;

    bool operator==(const LuidResponseInformation&) const = default;
};
static_assert(sizeof(LuidResponseInformation) == 8);

}  // namespace TavProtocol
