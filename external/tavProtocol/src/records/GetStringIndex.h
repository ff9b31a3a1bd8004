#pragma once

#include <cstdint>

namespace TavProtocol {

// Which of the reader's strings to read, 1 to 8.
enum class GetStringIndex : uint8_t {};

}  // namespace TavProtocol
