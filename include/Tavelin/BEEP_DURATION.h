#pragma once

#include "Tavelin/Export.h"

#include <cstdint>

namespace TavProtocol {

// How long each beep of a beep command lasts; any value but Long gives short beeps.
enum class BEEP_DURATION : uint8_t { Short = 0, Long = 1 };

}  // namespace TavProtocol
