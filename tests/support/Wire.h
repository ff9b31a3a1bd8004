#pragma once

#include <cstdint>

namespace TavTest {

// The three wire protocols, numbered as reader definitions number them.
enum class Wire : uint8_t { FeatureReport = 1, Mfp24 = 2, SerialBinary = 3 };

inline const char* WireName(Wire wire) {
    switch (wire) {
    case Wire::FeatureReport:
        return "feature report";
    case Wire::Mfp24:
        return "MFP24";
    case Wire::SerialBinary:
        return "serial binary";
    }
    return "?";
}

inline constexpr Wire kAllWires[] = {Wire::FeatureReport, Wire::Mfp24, Wire::SerialBinary};

}  // namespace TavTest
