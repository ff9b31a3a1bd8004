#include "core/ReplyReader.h"

#include <algorithm>
#include <utility>

#include "core/UnreadableReplyException.h"

namespace TavProtocol {

ReplyReader::ReplyReader(std::span<const uint8_t> reply, std::string failureMessage, CheckSite site)
    : reply_(reply), failureMessage_(std::move(failureMessage)), site_(site) {}

ReplyReader ReplyReader::Of(const std::vector<std::vector<uint8_t>>& replies, std::size_t index,
                            std::string failureMessage, CheckSite site) {
    std::span<const uint8_t> reply;
    if (index < replies.size()) {
        reply = replies[index];
    }
    return ReplyReader(reply, std::move(failureMessage), site);
}

void ReplyReader::Fail() const {
    throw UnreadableReplyException(failureMessage_, site_.file, site_.line, site_.function);
}

void ReplyReader::RequireRange(std::size_t offset, std::size_t count) const {
    // Written so that no sum can wrap: offset and count come from decoders, not from the reply.
    if (offset > reply_.size() || count > reply_.size() - offset) {
        Fail();
    }
}

const ReplyReader& ReplyReader::RequireAtLeast(std::size_t length) const {
    if (reply_.size() < length) {
        Fail();
    }
    return *this;
}

const ReplyReader& ReplyReader::RequireExactly(std::size_t length) const {
    if (reply_.size() != length) {
        Fail();
    }
    return *this;
}

uint8_t ReplyReader::Byte(std::size_t index) const {
    RequireRange(index, 1);
    return reply_[index];
}

uint8_t ReplyReader::ByteFromEnd(std::size_t distance) const {
    RequireRange(distance, 1);
    return reply_[reply_.size() - 1 - distance];
}

uint16_t ReplyReader::LittleEndian16(std::size_t offset) const {
    RequireRange(offset, 2);
    return static_cast<uint16_t>(reply_[offset] | (reply_[offset + 1] << 8));
}

uint32_t ReplyReader::LittleEndian32(std::size_t offset) const {
    RequireRange(offset, 4);
    return static_cast<uint32_t>(reply_[offset]) | (static_cast<uint32_t>(reply_[offset + 1]) << 8) |
           (static_cast<uint32_t>(reply_[offset + 2]) << 16) | (static_cast<uint32_t>(reply_[offset + 3]) << 24);
}

uint16_t ReplyReader::BigEndian16(std::size_t offset) const {
    RequireRange(offset, 2);
    return static_cast<uint16_t>((reply_[offset] << 8) | reply_[offset + 1]);
}

uint32_t ReplyReader::BigEndian32(std::size_t offset) const {
    RequireRange(offset, 4);
    return (static_cast<uint32_t>(reply_[offset]) << 24) | (static_cast<uint32_t>(reply_[offset + 1]) << 16) |
           (static_cast<uint32_t>(reply_[offset + 2]) << 8) | static_cast<uint32_t>(reply_[offset + 3]);
}

std::span<const uint8_t> ReplyReader::Bytes(std::size_t offset, std::size_t count) const {
    RequireRange(offset, count);
    return reply_.subspan(offset, count);
}

std::span<const uint8_t> ReplyReader::BytesFrom(std::size_t offset) const {
    RequireRange(offset, 0);
    return reply_.subspan(offset);
}

std::span<const uint8_t> ReplyReader::Between(std::size_t leading, std::size_t trailing) const {
    RequireRange(leading, trailing);
    return reply_.subspan(leading, reply_.size() - leading - trailing);
}

std::string_view ReplyReader::Text(std::size_t offset, std::size_t count) const {
    const auto bytes = Bytes(offset, count);
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool ReplyReader::Matches(std::size_t offset, std::initializer_list<uint8_t> expected) const {
    if (offset > reply_.size() || expected.size() > reply_.size() - offset) {
        return false;
    }
    return std::equal(expected.begin(), expected.end(), reply_.begin() + static_cast<std::ptrdiff_t>(offset));
}

bool ReplyReader::MatchesText(std::size_t offset, std::string_view expected) const {
    return offset <= reply_.size() && expected.size() <= reply_.size() - offset &&
           Text(offset, expected.size()) == expected;
}

bool ReplyReader::EndsWith(std::initializer_list<uint8_t> expected) const {
    return expected.size() <= reply_.size() && Matches(reply_.size() - expected.size(), expected);
}

const ReplyReader& ReplyReader::Expect(std::size_t offset, std::initializer_list<uint8_t> expected) const {
    if (!Matches(offset, expected)) {
        Fail();
    }
    return *this;
}

}  // namespace TavProtocol
