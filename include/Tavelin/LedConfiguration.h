#pragma once

#include "Tavelin/Export.h"

#include <cstdint>

namespace Tav {

#pragma pack(push, 1)
// How the host drives a configuration's LEDs.
struct LedConfiguration {
    // 1 both off, 2 red, 3 green, 4 red and green; 0 when the host does not drive the LEDs.
    uint8_t LedState;
    // 1 when the host drives the LEDs.
    uint8_t HostControlFlag;
};
#pragma pack(pop)

static_assert(sizeof(LedConfiguration) == 2);

}  // namespace Tav
