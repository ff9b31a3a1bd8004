#pragma once

#include <cstdint>

namespace TavProtocol {

// A serial reader's line speed as its code, 0 to 4; the speed each code stands for is the reader's.
enum class SerialReaderBaudRate : uint8_t {};

}  // namespace TavProtocol
