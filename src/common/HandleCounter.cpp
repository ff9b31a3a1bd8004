#include "common/HandleCounter.h"

#include <atomic>

namespace TavCommon {

uint64_t HandleCounter::Next() noexcept {
    // 64 bits do not wrap in the life of a process.
    static std::atomic<uint64_t> last{0};
    return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

}  // namespace TavCommon
