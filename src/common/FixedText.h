#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace TavCommon {

// Copies text into a fixed NUL-terminated field: at most Size - 1 characters, the rest NUL.
template <std::size_t Size>
void CopyToFixedField(char (&field)[Size], std::string_view text) noexcept {
    const std::size_t count = text.size() < Size - 1 ? text.size() : Size - 1;
    std::memcpy(field, text.data(), count);
    std::memset(field + count, 0, Size - count);
}

// Reads a host-filled field that may lack its terminating NUL.
template <std::size_t Size>
std::string_view ReadFixedField(const char (&field)[Size]) noexcept {
    return std::string_view(field, strnlen(field, Size));
}

}  // namespace TavCommon
