#pragma once

#include <cstdint>

namespace TavProtocol {

// The module whose firmware version is asked for; Unspecified is refused.
enum class FirmwareVersionModuleType : uint8_t { Unspecified = 255 };

}  // namespace TavProtocol
