#pragma once

#include "Tavelin/Export.h"

#include <cstdint>

namespace TavProtocol {

// The reader's transparent-mode status code, passed on as the reader sends it.
enum class TransparentModeStatus : uint8_t {};

}  // namespace TavProtocol
