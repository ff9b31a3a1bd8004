#pragma once

#include <array>
#include <cstdint>

namespace TavProtocol {

// One card the card analyzer holds (36 bytes); a card of n data bytes fills the last n bytes of
// Data, its last received byte first.
struct CardAnalyzerData {
    uint16_t CardType = 0;
    uint16_t BitCount = 0;
    std::array<uint8_t, 32> Data{};

    bool operator==(const CardAnalyzerData&) const = default;
};
static_assert(sizeof(CardAnalyzerData) == 36);

}  // namespace TavProtocol
