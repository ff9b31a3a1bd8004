#include "common/StringUtils.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "Tavelin/ElvarinException.h"

namespace {

using namespace TavCommon::StringUtils;
using namespace std::string_literals;

// Every result as text: a list as [piece][piece], a failure as "throws: " and its message.
struct Case {
    const char* call;
    std::function<std::string()> run;
    std::string expected;
};

std::string Pieces(const std::vector<std::string>& pieces) {
    std::string text;
    for (const auto& piece : pieces) {
        text += "[" + piece + "]";
    }
    return text;
}

std::string Bool(bool value) { return value ? "true" : "false"; }

const Case kCases[] = {
    {"Trim around", [] { return Trim(" \t a b \r\n"); }, "a b"},
    {"Trim only blanks", [] { return Trim("\t  \t "); }, ""},
    {"Trim empty", [] { return Trim(""); }, ""},
    {"Trim high byte", [] { return Trim("\xA0x\xFF"); }, "\xA0x\xFF"},
    {"StartsWith match", [] { return Bool(StartsWith("[Block1]", "[Block")); }, "true"},
    {"StartsWith empty prefix", [] { return Bool(StartsWith("", "")); }, "true"},
    {"StartsWith longer prefix", [] { return Bool(StartsWith("ab", "abc")); }, "false"},
    {"ParseBool 1", [] { return Bool(ParseBool("1")); }, "true"},
    {"ParseBool 0", [] { return Bool(ParseBool("0")); }, "false"},
    {"ParseBool true", [] { return Bool(ParseBool("true")); }, R"(throws: Invalid boolean string: "true")"},
    {"ParseBool blank 1", [] { return Bool(ParseBool(" 1")); }, R"(throws: Invalid boolean string: " 1")"},
    {"ParseBool empty", [] { return Bool(ParseBool("")); }, R"(throws: Invalid boolean string: "")"},
    {"ParseInt FF", [] { return std::to_string(ParseInt("FF", 16)); }, "255"},
    {"ParseInt ff", [] { return std::to_string(ParseInt("ff", 16)); }, "255"},
    {"ParseInt -0", [] { return std::to_string(ParseInt("-0", 10)); }, "0"},
    {"ParseInt min", [] { return std::to_string(ParseInt("-2147483648", 10)); }, "-2147483648"},
    {"ParseInt max", [] { return std::to_string(ParseInt("2147483647", 10)); }, "2147483647"},
    {"ParseInt above max", [] { return std::to_string(ParseInt("2147483648", 10)); },
     R"(throws: Invalid integer string: "2147483648")"},
    {"ParseInt below min", [] { return std::to_string(ParseInt("-2147483649", 10)); },
     R"(throws: Invalid integer string: "-2147483649")"},
    {"ParseInt beyond 32 bits", [] { return std::to_string(ParseInt("-100000000", 16)); },
     R"(throws: Invalid integer string: "-100000000")"},
    {"ParseInt 12a", [] { return std::to_string(ParseInt("12a", 10)); }, R"(throws: Invalid integer string: "12a")"},
    {"ParseInt empty", [] { return std::to_string(ParseInt("", 10)); }, R"(throws: Invalid integer string: "")"},
    {"ParseInt minus", [] { return std::to_string(ParseInt("-", 10)); }, R"(throws: Invalid integer string: "-")"},
    {"ParseInt plus", [] { return std::to_string(ParseInt("+5", 10)); }, R"(throws: Invalid integer string: "+5")"},
    {"ParseInt blank", [] { return std::to_string(ParseInt(" 5", 10)); }, R"(throws: Invalid integer string: " 5")"},
    {"ParseInt hex prefix", [] { return std::to_string(ParseInt("0x1F", 16)); },
     R"(throws: Invalid integer string: "0x1F")"},
    {"ToHex 255 width 4", [] { return ToHex(255, 4); }, "00FF"},
    {"ToHex wider than width", [] { return ToHex(74565, 2); }, "12345"},
    {"ToHex max", [] { return ToHex(0xFFFFFFFF, 0); }, "FFFFFFFF"},
    {"Join",
     [] {
         return Join({"a", "", "b"}, ", ");
     },
     "a, , b"},
    {"Join empty", [] { return Join({}, ","); }, ""},
    {"Split spaced delimiter", [] { return Pieces(Split("a = b", " = ")); }, "[a][b]"},
    {"Split adjacent and trailing", [] { return Pieces(Split("a,,b,", ",")); }, "[a][][b]"},
    {"Split leading", [] { return Pieces(Split(",a", ",")); }, "[][a]"},
    {"Split no delimiter", [] { return Pieces(Split("abc", ";")); }, "[abc]"},
    {"Split empty", [] { return Pieces(Split("", ",")); }, ""},
    {"Split empty delimiter", [] { return Pieces(Split("abc", "")); }, "throws: Split requires a non-empty delimiter"},
    {"ToLower", [] { return ToLower("WaRN\xC9"); }, "warn\xC9"},
};

TEST(StringUtilsTest, Table) {
    for (const Case& c : kCases) {
        std::string actual;
        try {
            actual = c.run();
        } catch (const ElvarinException& error) {
            actual = "throws: "s + error.what();
        }
        EXPECT_EQ(actual, c.expected) << c.call;
    }
}

}  // namespace
