#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace {

using TavProtocol::ProtocolException;
using TavProtocol::ReplyReader;

const std::vector<uint8_t> kReply = {0x89, 0x01, 0x34, 0x12, 0x00, 0x00, 0x12, 0x34};

constexpr int kSiteLine = __LINE__ + 1;
ReplyReader Reader(const std::vector<uint8_t>& reply) { return ReplyReader(reply, "Bad reply", TAV_CHECK_SITE); }

TEST(ReplyReaderTest, DecodesWithinTheReply) {
    const auto reader = Reader(kReply);
    EXPECT_EQ(reader.Byte(7), 0x34);
    EXPECT_EQ(reader.ByteFromEnd(0), 0x34);
    EXPECT_EQ(reader.ByteFromEnd(7), 0x89);
    EXPECT_EQ(reader.LittleEndian16(2), 0x1234);
    EXPECT_EQ(reader.BigEndian16(6), 0x1234);
    EXPECT_EQ(reader.LittleEndian32(2), 0x00001234u);
    EXPECT_EQ(reader.BigEndian32(4), 0x00001234u);
    EXPECT_EQ(reader.Bytes(6, 2).size(), 2u);
    EXPECT_EQ(reader.Bytes(8, 0).size(), 0u);
    EXPECT_EQ(reader.BytesFrom(6).size(), 2u);
    EXPECT_EQ(reader.BytesFrom(6)[0], 0x12);
    EXPECT_EQ(reader.BytesFrom(8).size(), 0u);
    EXPECT_EQ(reader.Between(1, 6).size(), 1u);
    EXPECT_EQ(reader.Between(1, 6)[0], 0x01);
    EXPECT_EQ(reader.Between(2, 6).size(), 0u);
    EXPECT_TRUE(reader.Matches(0, {0x89, 0x01}));
    EXPECT_FALSE(reader.Matches(7, {0x34, 0x00}));
    const std::vector<uint8_t> text = {'R', 'S', 'X', '0', '5', '\r'};
    const auto phrase = Reader(text);
    EXPECT_EQ(phrase.Text(1, 4), "SX05");
    EXPECT_EQ(phrase.Text(6, 0), "");
    EXPECT_TRUE(phrase.MatchesText(0, "RSX05"));
    EXPECT_TRUE(phrase.MatchesText(6, ""));
    EXPECT_FALSE(phrase.MatchesText(0, "RSX07"));
    EXPECT_FALSE(phrase.MatchesText(5, "\r0"));
    EXPECT_FALSE(phrase.MatchesText(7, ""));
    EXPECT_TRUE(reader.EndsWith({0x12, 0x34}));
    EXPECT_TRUE(reader.EndsWith({0x89, 0x01, 0x34, 0x12, 0x00, 0x00, 0x12, 0x34}));
    EXPECT_FALSE(reader.EndsWith({0x89, 0x89, 0x01, 0x34, 0x12, 0x00, 0x00, 0x12, 0x34}));
    EXPECT_FALSE(reader.EndsWith({0x34, 0x12}));
}

// Every read one byte past the end, and offsets chosen so that offset + count would wrap.
TEST(ReplyReaderTest, EveryReadPastTheEndFailsWithTheCommandsMessageAndSite) {
    const auto reader = Reader(kReply);
    const std::vector<std::function<void()>> reads = {
        [&] { reader.Byte(8); },
        [&] { reader.ByteFromEnd(8); },
        [&] { reader.LittleEndian16(7); },
        [&] { reader.BigEndian16(7); },
        [&] { reader.LittleEndian32(5); },
        [&] { reader.BigEndian32(5); },
        [&] { reader.Bytes(4, 5); },
        [&] { reader.Bytes(1, SIZE_MAX); },
        [&] { reader.Byte(SIZE_MAX); },
        [&] { reader.BytesFrom(9); },
        [&] { reader.Between(5, 4); },
        [&] { reader.Between(1, SIZE_MAX); },
        [&] { reader.Text(5, 4); },
        [&] { reader.RequireAtLeast(9); },
        [&] { reader.RequireExactly(7); },
        [&] {
            reader.Expect(7, {0x34, 0x00});
        },
        [&] { reader.Expect(SIZE_MAX, {0x00}); },
    };
    for (std::size_t i = 0; i < reads.size(); ++i) {
        try {
            reads[i]();
            ADD_FAILURE() << "read " << i << " did not fail";
        } catch (const ProtocolException& error) {
            EXPECT_STREQ(error.what(), "Bad reply") << i;
            EXPECT_EQ(error.File(), "ReplyReader_test") << i;
            EXPECT_EQ(error.Line(), kSiteLine) << i;
            EXPECT_EQ(error.Function(), "Reader") << i;
        }
    }
}

TEST(ReplyReaderTest, AMissingReplyReadsAsEmpty) {
    const std::vector<std::vector<uint8_t>> replies = {kReply};
    EXPECT_EQ(ReplyReader::Of(replies, 0, "m", TAV_CHECK_SITE).Byte(0), 0x89);
    const auto missing = ReplyReader::Of(replies, 1, "No reply", TAV_CHECK_SITE);
    EXPECT_EQ(missing.Size(), 0u);
    EXPECT_THROW(missing.Byte(0), ProtocolException);
}

}  // namespace
