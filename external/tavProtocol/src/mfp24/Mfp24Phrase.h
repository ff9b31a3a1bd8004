#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace TavProtocol::Mfp24Phrase {

// Every phrase, request or reply, is 24 ASCII characters ending in a carriage return.
inline constexpr std::size_t kLength = 24;
inline constexpr uint8_t kCarriageReturn = 0x0D;

// The request phrase: the command's characters, '0' up to the last byte, then the carriage return.
inline std::vector<uint8_t> Make(std::string_view text) {
    std::vector<uint8_t> phrase(kLength, '0');
    std::copy_n(text.begin(), std::min(text.size(), kLength - 1), phrase.begin());
    phrase.back() = kCarriageReturn;
    return phrase;
}

// True when the reply holds the text at the offset; a reply too short for it does not.
inline bool HasText(std::span<const uint8_t> reply, std::size_t offset, std::string_view text) {
    if (offset > reply.size() || text.size() > reply.size() - offset) {
        return false;
    }
    return std::equal(text.begin(), text.end(), reply.begin() + static_cast<std::ptrdiff_t>(offset),
                      [](char expected, uint8_t actual) { return static_cast<uint8_t>(expected) == actual; });
}

// A whole phrase: 24 bytes, the last one the carriage return.
inline bool IsWhole(std::span<const uint8_t> reply) {
    return reply.size() == kLength && reply.back() == kCarriageReturn;
}

}  // namespace TavProtocol::Mfp24Phrase
