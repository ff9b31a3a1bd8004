#pragma once

#include <cstdint>

namespace TavProtocol {

// The module whose bootloader a firmware upgrade talks to, 0 to 2.
enum class BootloaderModule : uint8_t {};

}  // namespace TavProtocol
