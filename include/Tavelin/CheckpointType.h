#pragma once

#include "Tavelin/Export.h"

#include <cstdint>

namespace Tav {

// What a reader's configuration is reset to.
enum class CheckpointType : uint8_t {
    // The factory defaults, which also become the stored defaults.
    FactoryDefaults = 1,
    // The stored defaults.
    StoredDefaults = 2,
};

}  // namespace Tav
