#include "common/HashData.h"

#include <algorithm>
#include <iterator>

namespace TavCommon {

bool HashData::IsZero(const uint8_t (&hash)[kHashSize]) {
    return std::all_of(std::begin(hash), std::end(hash), [](uint8_t byte) { return byte == 0; });
}

}  // namespace TavCommon
