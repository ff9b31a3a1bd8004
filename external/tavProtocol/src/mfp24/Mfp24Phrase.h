#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/ReplyReader.h"

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

// A whole phrase: 24 bytes, the last one the carriage return.
inline bool IsWhole(const ReplyReader& reply) { return reply.Size() == kLength && reply.EndsWith({kCarriageReturn}); }

}  // namespace TavProtocol::Mfp24Phrase
