#include "common/FixedText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A field of 6 bytes holds 5 bytes of text: a character the cut would split goes whole.
TEST(FixedTextTest, TextIsCutAtACharacterBoundary) {
    struct Case {
        const char* name;
        std::string text;
        std::string kept;
    };
    const Case cases[] = {
        {"ASCII", "abcdefgh", "abcde"},
        {"two-byte character cut", "abcd\xC3\xA9", "abcd"},
        {"two-byte character fits", "abc\xC3\xA9", "abc\xC3\xA9"},
        {"three-byte character ends at the cut", "ab\xE2\x82\xACx", "ab\xE2\x82\xAC"},
        {"three-byte character cut", "abc\xE2\x82\xAC", "abc"},
        {"four-byte character cut", "ab\xF0\x9F\x98\x80", "ab"},
        {"single-byte text", "abcde\xE9", "abcde"},
        {"stray continuation bytes", "abcd\x80\x80", "abcd\x80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        char field[6];
        TavCommon::CopyToFixedField(field, c.text);
        EXPECT_EQ(std::string(field), c.kept);
        EXPECT_EQ(field[5], '\0');
    }
}

}  // namespace
