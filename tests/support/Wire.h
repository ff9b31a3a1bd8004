#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

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

// The same, for a protocol type as reader definitions hold it.
inline const char* WireName(uint8_t protocolType) { return WireName(Wire{protocolType}); }

inline constexpr Wire kAllWires[] = {Wire::FeatureReport, Wire::Mfp24, Wire::SerialBinary};

// An 8-byte request phrase as the wire carries it: the bytes given, then zeros.
inline std::vector<uint8_t> Phrase(std::initializer_list<uint8_t> bytes) {
    std::vector<uint8_t> phrase(bytes);
    phrase.resize(8, 0);
    return phrase;
}

}  // namespace TavTest
