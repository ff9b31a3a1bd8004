#include "Tavelin/CardData.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Tav::CardData;

std::vector<uint8_t> Buffer32(std::initializer_list<uint8_t> start) {
    std::vector<uint8_t> bytes(32, 0);
    std::copy(start.begin(), start.end(), bytes.begin());
    return bytes;
}

TEST(CardDataTest, Emptiness) {
    EXPECT_FALSE(CardData(Buffer32({0x12, 0x34, 0x56}), 26).IsEmpty());
    EXPECT_TRUE(CardData(Buffer32({}), 0).IsEmpty());
    EXPECT_TRUE(CardData().IsEmpty());
    EXPECT_FALSE(CardData(Buffer32({0, 0, 0, 0x01}), 0).IsEmpty());
    EXPECT_FALSE(CardData(Buffer32({}), 26).IsEmpty());
}

TEST(CardDataTest, Equality) {
    const CardData card(Buffer32({0x12, 0x34, 0x56}), 26);
    EXPECT_TRUE(card == CardData(Buffer32({0x12, 0x34, 0x56}), 26));
    EXPECT_FALSE(card == CardData(Buffer32({0x12, 0x34, 0x56}), 24)) << "bit counts differ";
    EXPECT_FALSE(card == CardData(Buffer32({0x12, 0x34, 0x57}), 26));
    // Compared over the left card's bytes; a shorter right card is never read beyond its end.
    EXPECT_TRUE(CardData({0x12, 0x34}, 16) == CardData({0x12, 0x34, 0x99}, 16));
    EXPECT_FALSE(CardData({0x12, 0x34, 0x99}, 16) == CardData({0x12, 0x34}, 16));
}

TEST(CardDataTest, BytesAsTheyCame) {
    const CardData card({0x41, 0x00, 0xFF}, 24);
    EXPECT_EQ(card.AsString(), std::string("A\0\xFF", 3));
    ASSERT_NE(card.AsByteArray(), nullptr);
    EXPECT_EQ(card.AsByteArray()[2], 0xFF);
}

}  // namespace
