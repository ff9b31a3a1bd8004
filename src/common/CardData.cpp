#include "Tavelin/CardData.h"

#include <algorithm>

namespace Tav {

std::string CardData::AsString() const { return std::string(data.begin(), data.end()); }

const uint8_t* CardData::AsByteArray() const { return data.data(); }

bool CardData::IsEmpty() const {
    return bitCount == 0 && std::all_of(data.begin(), data.end(), [](uint8_t byte) { return byte == 0; });
}

bool CardData::operator==(const CardData& other) const {
    // Compared over this card's length; a shorter right-hand card can never match.
    return bitCount == other.bitCount && other.data.size() >= data.size() &&
           std::equal(data.begin(), data.end(), other.data.begin());
}

}  // namespace Tav
