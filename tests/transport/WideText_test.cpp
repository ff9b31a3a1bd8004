#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "transport/WideText.h"

namespace {

using TavTransport::WideText::FromMultibyte;
using TavTransport::WideText::ToUtf8;

// hidapi's error texts are wide; a null one is no text, and a value outside Unicode is replaced,
// never encoded into bytes no reader of the message could decode.
TEST(WideTextTest, LibraryTextBecomesUtf8) {
    EXPECT_EQ(ToUtf8(nullptr), "");
    EXPECT_EQ(ToUtf8(L""), "");
    EXPECT_EQ(ToUtf8(L"Broken pipe"), "Broken pipe");
    EXPECT_EQ(ToUtf8(L"\u00e9\u20ac\U0001F600"), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    const wchar_t outside[] = {static_cast<wchar_t>(0x110000), static_cast<wchar_t>(0xD800), L'a', L'\0'};
    EXPECT_EQ(ToUtf8(outside),
              "\xEF\xBF\xBD\xEF\xBF\xBD"
              "a");
}

TEST(WideTextTest, ConversionFromTheLocaleReportsInvalidText) {
    struct RestoreLocale {
        std::string saved = std::setlocale(LC_CTYPE, nullptr);
        ~RestoreLocale() { std::setlocale(LC_CTYPE, saved.c_str()); }
    } restore;
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);

    EXPECT_EQ(FromMultibyte("SN-01"), std::wstring(L"SN-01"));
    EXPECT_EQ(FromMultibyte("Caf\xC3\xA9"), std::wstring(L"Caf\u00e9"));
    EXPECT_EQ(FromMultibyte(""), std::wstring());
    EXPECT_EQ(FromMultibyte("A\xFF"), std::nullopt);
}

}  // namespace
