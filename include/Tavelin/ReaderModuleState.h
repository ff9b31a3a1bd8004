#pragma once

#include "Tavelin/Export.h"

#include <cstdint>

namespace TavProtocol {

// A module's state; 0 is not a state.
enum class ReaderModuleState : uint8_t {};

}  // namespace TavProtocol
