#pragma once

#include <cstdint>

namespace TavProtocol {

// The card analyzer's 16-bit status.
using CardAnalyzerStatus = uint16_t;

}  // namespace TavProtocol
