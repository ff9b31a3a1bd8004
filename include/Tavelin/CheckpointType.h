#pragma once

#include <cstdint>

namespace Tav {

// What a configuration reset goes back to.
enum class CheckpointType : uint8_t {
    FactoryDefaults = 1,  // the factory configuration, stored as the reader's defaults, then loaded
    StoredDefaults = 2,   // the defaults the reader stores, loaded
};

}  // namespace Tav
