#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/CheckSite.h"

namespace TavProtocol {

// Bounds-checked reads of one reply phrase. Every decoder reads a reply through one of these, so
// a reply shorter than the bytes asked for fails with the command's own message and check site
// instead of being read past its end. Each failure is an UnreadableReplyException. Holds a view:
// it must not outlive the reply.
class ReplyReader {
public:
    ReplyReader(std::span<const uint8_t> reply, std::string failureMessage, CheckSite site);

    // Reply `index` of a command's reply list; a missing reply reads as an empty one.
    static ReplyReader Of(const std::vector<std::vector<uint8_t>>& replies, std::size_t index,
                          std::string failureMessage, CheckSite site);

    std::size_t Size() const { return reply_.size(); }
    std::span<const uint8_t> All() const { return reply_; }

    // Both fail with the reader's message; they return the reader so that reads can follow.
    const ReplyReader& RequireAtLeast(std::size_t length) const;
    const ReplyReader& RequireExactly(std::size_t length) const;

    uint8_t Byte(std::size_t index) const;
    // Counted from the end, 0 being the last byte (status words close some replies).
    uint8_t ByteFromEnd(std::size_t distance) const;
    uint16_t LittleEndian16(std::size_t offset) const;
    uint32_t LittleEndian32(std::size_t offset) const;
    uint16_t BigEndian16(std::size_t offset) const;
    uint32_t BigEndian32(std::size_t offset) const;
    std::span<const uint8_t> Bytes(std::size_t offset, std::size_t count) const;
    // The bytes from `offset` to the end.
    std::span<const uint8_t> BytesFrom(std::size_t offset) const;
    // The bytes after the first `leading` and before the last `trailing` (a status word, say).
    std::span<const uint8_t> Between(std::size_t leading, std::size_t trailing) const;
    // `count` bytes from `offset` as characters (for replies written in ASCII).
    std::string_view Text(std::size_t offset, std::size_t count) const;

    // True when the reply holds `expected` at `offset`; a reply too short for it does not.
    bool Matches(std::size_t offset, std::initializer_list<uint8_t> expected) const;
    // The same for characters.
    bool MatchesText(std::size_t offset, std::string_view expected) const;
    // True when the reply closes with `expected`; a reply too short for it does not.
    bool EndsWith(std::initializer_list<uint8_t> expected) const;
    // Fails unless Matches.
    const ReplyReader& Expect(std::size_t offset, std::initializer_list<uint8_t> expected) const;

    [[noreturn]] void Fail() const;

private:
    void RequireRange(std::size_t offset, std::size_t count) const;

    std::span<const uint8_t> reply_;
    std::string failureMessage_;
    CheckSite site_;
};

}  // namespace TavProtocol
