#include "files/Crc32.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// Expected values computed outside the library with python3's zlib.crc32.
TEST(Crc32Test, MatchesTheStandardCrc32) {
    std::vector<uint8_t> everyByte(256);
    std::iota(everyByte.begin(), everyByte.end(), 0);
    const struct {
        std::vector<uint8_t> bytes;
        const char* expected;
    } cases[] = {
        {Bytes("123456789"), "CBF43926"}, {{}, "00000000"},
        {Bytes("abc"), "352441C2"},       {Bytes("The quick brown fox jumps over the lazy dog"), "414FA339"},
        {everyByte, "29058C73"},          {Bytes("line 93\n"), "005208B3"},  // leading zeros are kept
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CalculateCrc32(c.bytes), c.expected) << c.expected;
    }
}

}  // namespace
