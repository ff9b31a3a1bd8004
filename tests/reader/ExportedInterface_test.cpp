// The lists that keep the flat interface whole name every function of include/Tavelin.h: what the
// library must export, what the exported-API fuzz harness calls, and the count the README gives.
// A function added to the header and left out of one of them fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "support/DeclaredFunctions.h"

namespace {

using TavTest::FlatFunctions;
using TavTest::ReadSourceFile;

std::set<std::string> FlatFunctionNames() {
    std::set<std::string> names;
    for (const auto& function : FlatFunctions()) {
        names.insert(function.name);
    }
    return names;
}

TEST(ExportedInterface, TheRequiredExportsNameEveryFlatFunction) {
    std::set<std::string> required;
    std::stringstream lines(ReadSourceFile("tests/exported_required.txt"));
    const std::regex flat(R"(\^(Tav\w*_\w+)\$)");
    std::smatch match;
    for (std::string line; std::getline(lines, line);) {
        if (std::regex_match(line, match, flat)) {
            required.insert(match[1].str());
        }
    }
    EXPECT_EQ(required, FlatFunctionNames()) << "tests/exported_required.txt";
}

// C++ source with its comments and its string and character literals blanked out, so that what is
// left of a name is code.
std::string CodeOnly(const std::string& source) {
    std::string code = source;
    for (std::size_t i = 0; i < code.size(); ++i) {
        std::size_t end = i;
        if (code.compare(i, 2, "//") == 0) {
            end = code.find('\n', i);
        } else if (code.compare(i, 2, "/*") == 0) {
            end = code.find("*/", i + 2);
            end = end == std::string::npos ? end : end + 2;
        } else if (code[i] == '"' || code[i] == '\'') {
            for (end = i + 1; end < code.size() && code[end] != code[i]; ++end) {
                end += code[end] == '\\' ? 1 : 0;
            }
            end = end < code.size() ? end + 1 : end;
        } else {
            continue;
        }
        end = std::min(end, code.size());
        code.replace(i, end - i, end - i, ' ');
        i = end - 1;
    }
    return code;
}

TEST(ExportedInterface, TheFuzzHarnessCallsEveryFlatFunction) {
    const std::string harness = CodeOnly(ReadSourceFile("fuzz/exported_api_fuzzer.cpp"));
    for (const std::string& name : FlatFunctionNames()) {
        EXPECT_TRUE(std::regex_search(harness, std::regex("\\b" + name + "\\s*\\(")))
            << "fuzz/exported_api_fuzzer.cpp has no call of " << name;
    }
}

// A name in a comment, a string or a character literal is not a call; an escaped quote does not end
// a string, an escaped backslash does not hide the quote after it.
TEST(ExportedInterface, OnlyCodeCountsAsACall) {
    const std::string code = CodeOnly(R"x(f(); // g(
/* h(
*/ i("j(\"k(", 'l'); m("\\", n());)x");
    for (const char* hidden : {"g(", "h(", "j(", "k(", "l"}) {
        EXPECT_EQ(code.find(hidden), std::string::npos) << hidden;
    }
    for (const char* called : {"f(", "i(", "m(", "n("}) {
        EXPECT_NE(code.find(called), std::string::npos) << called;
    }
}

TEST(ExportedInterface, TheReadmeCountsTheFlatFunctions) {
    const std::string readme = ReadSourceFile("README.md");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(readme, match, std::regex(R"(flat interface is the (\d+) functions)")));
    EXPECT_EQ(std::stoul(match[1].str()), FlatFunctionNames().size());
}

}  // namespace
