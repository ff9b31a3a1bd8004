#pragma once

#include "Tavelin/Export.h"

#include <cstdint>

namespace TavProtocol {

// The reader's transparent-mode state code, passed on as the reader sends it.
enum class TransparentModeState : uint8_t {};

}  // namespace TavProtocol
