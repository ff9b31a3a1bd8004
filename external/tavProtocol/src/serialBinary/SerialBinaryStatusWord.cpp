#include "serialBinary/SerialBinaryStatusWord.h"

#include <algorithm>
#include <array>

namespace TavProtocol {

namespace {

struct StatusWord {
    uint8_t sw1;
    uint8_t sw2;
    std::string_view name;
};

constexpr std::array<StatusWord, 6> kStatusWords{{
    {0x6A, 0x82, "CARD_NOT_FOUND"},
    {0x62, 0x00, "EEPROM_ERROR"},
    {0x67, 0x00, "P3_INCORRECT"},
    {0x6B, 0x00, "P1_OR_P2_INCORRECT"},
    {0x6D, 0x00, "INVALID_INSTRUCTION"},
    {0x6E, 0x00, "INVALID_CLASS"},
}};

}  // namespace

std::string_view SerialBinaryStatusWordName(uint8_t sw1, uint8_t sw2) {
    const auto word = std::find_if(kStatusWords.begin(), kStatusWords.end(),
                                   [&](const StatusWord& w) { return w.sw1 == sw1 && w.sw2 == sw2; });
    return word == kStatusWords.end() ? std::string_view("UNKNOWN_ERROR") : word->name;
}

}  // namespace TavProtocol
