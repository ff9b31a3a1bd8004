#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The CRC-32 that closes the configuration text files (reflected polynomial 0xEDB88320, as in zlib).
using Crc32Table = std::array<uint32_t, 256>;

// Fills the lookup table; the one the checksum uses is built from it at compile time.
constexpr void BuildCrc32Table(Crc32Table& table) {
    for (uint32_t n = 0; n < table.size(); ++n) {
        uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) {
            c = (c & 1u) != 0 ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        }
        table[n] = c;
    }
}

// The checksum as eight upper-case hexadecimal digits; callers compare it with the stored text
// exactly, so stored lower-case digits never match.
std::string CalculateCrc32(std::span<const uint8_t> bytes);
// The same over the bytes of a text, without copying them.
std::string CalculateCrc32(std::string_view text);
