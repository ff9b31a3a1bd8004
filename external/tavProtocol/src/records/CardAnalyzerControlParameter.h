#pragma once

#include <cstdint>

namespace TavProtocol {

// The card analyzer's control code, 0 to 2.
enum class CardAnalyzerControlParameter : uint8_t {};

}  // namespace TavProtocol
