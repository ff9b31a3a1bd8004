#pragma once

#include "Tavelin/Export.h"

#include <cstddef>
#include <cstdint>

namespace TavCommon {

// Guards a write of the extended configuration: two 16-byte hashes and whether the reader's
// firmware enforces enhanced security. All zero when a host passes none.
struct TAV_API HashData {
    static constexpr std::size_t kHashSize = 16;

    uint8_t Hash1[kHashSize]{};
    uint8_t Hash2[kHashSize]{};
    uint8_t EnhanceSecurityFirmwareState{};  // 0..1

    static bool IsZero(const uint8_t (&hash)[kHashSize]);
};

static_assert(offsetof(HashData, Hash2) == 16);
static_assert(offsetof(HashData, EnhanceSecurityFirmwareState) == 32);
static_assert(sizeof(HashData) == 33);

}  // namespace TavCommon
