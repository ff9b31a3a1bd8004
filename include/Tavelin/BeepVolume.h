#pragma once

#include "Tavelin/Export.h"

#include <cstdint>

namespace TavProtocol {

// The reader's beeper volume code, 0 to 3.
enum class BeepVolume : uint8_t {};

}  // namespace TavProtocol
