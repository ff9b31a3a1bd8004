// Any stored image, however hostile, decodes or fails with ElvarinException, and whatever decodes
// encodes back to a whole image or fails the same clean way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "Tavelin/ElvarinException.h"
#include "common/ExtendedConfiguration.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using TavCommon::ExtendedConfiguration;
    try {
        const auto decoded = ExtendedConfiguration::FromVector(std::span<const uint8_t>(data, size));
        if (decoded.ToVector().size() != ExtendedConfiguration::kWireSize) {
            std::abort();
        }
    } catch (const ElvarinException&) {
    }
    return 0;
}
