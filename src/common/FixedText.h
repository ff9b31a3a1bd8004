#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace TavCommon {

// How much of text fits in limit bytes without ending inside a UTF-8 sequence: a character the
// limit would cut is dropped whole, so the field still reads as text in a UTF-8 locale. Bytes
// that are not UTF-8 are cut where the limit falls.
constexpr std::size_t Utf8PrefixLength(std::string_view text, std::size_t limit) noexcept {
    if (text.size() <= limit) {
        return text.size();
    }
    const auto isContinuation = [](unsigned char byte) { return (byte & 0xC0) == 0x80; };
    if (!isContinuation(static_cast<unsigned char>(text[limit]))) {
        return limit;
    }
    // A sequence is a lead byte and at most three continuation bytes.
    for (std::size_t back = 1; back <= 3 && back <= limit; ++back) {
        const auto byte = static_cast<unsigned char>(text[limit - back]);
        if (!isContinuation(byte)) {
            const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
            return length > back ? limit - back : limit;
        }
    }
    return limit;
}

// Copies text into a fixed NUL-terminated field: at most Size - 1 bytes, never part of a UTF-8
// character, the rest NUL.
template <std::size_t Size>
void CopyToFixedField(char (&field)[Size], std::string_view text) noexcept {
    const std::size_t count = Utf8PrefixLength(text, Size - 1);
    std::memcpy(field, text.data(), count);
    std::memset(field + count, 0, Size - count);
}

// Reads a host-filled field that may lack its terminating NUL.
template <std::size_t Size>
std::string_view ReadFixedField(const char (&field)[Size]) noexcept {
    return std::string_view(field, strnlen(field, Size));
}

}  // namespace TavCommon
