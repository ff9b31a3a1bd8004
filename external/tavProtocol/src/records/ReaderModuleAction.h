#pragma once

#include <cstdint>

namespace TavProtocol {

// Whether a module-state command reads or sets the module's state.
enum class ReaderModuleAction : uint8_t { Read = 1, Set = 2 };

}  // namespace TavProtocol
