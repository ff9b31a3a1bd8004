#pragma once

#include <cstdint>

namespace Tav {

// How a configuration drives the reader's LEDs. State: 1 both off, 2 red, 3 green, 4 red and green;
// 0 when the host does not drive them. HostControl: 1 when the host drives them.
struct LedConfiguration {
    uint8_t State = 0;
    uint8_t HostControl = 0;
};

static_assert(sizeof(LedConfiguration) == 2);

}  // namespace Tav
