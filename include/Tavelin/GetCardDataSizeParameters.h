#pragma once

#include "Tavelin/Export.h"

#include <cstdint>

namespace TavProtocol {

// How much card data one read returns: 8 bytes (Short) or 32 bytes (Long).
enum class GetCardDataSizeParameters : uint8_t { Short = 1, Long = 2 };

}  // namespace TavProtocol
