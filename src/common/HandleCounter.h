#pragma once

#include <cstdint>

namespace TavCommon {

// The handles the registries hand to hosts. One counter for the whole process, so a handle is
// never 0, never an address, never handed out twice, and a facade's handle is never a reader's:
// a stale or mixed-up handle is simply not found.
class HandleCounter {
public:
    static uint64_t Next() noexcept;
};

}  // namespace TavCommon
