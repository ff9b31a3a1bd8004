#pragma once

#include "Tavelin/Export.h"

#include <cstdint>

namespace TavProtocol {

// A module of the reader; 0 is not a module.
enum class ReaderModuleId : uint8_t {};

}  // namespace TavProtocol
