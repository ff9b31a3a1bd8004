// The lists that keep the flat interface whole name every function of include/Tavelin.h: what the
// library must export, what the exported-API fuzz harness calls, and the count the README gives.
// A function added to the header and left out of one of them fails here.
#include <gtest/gtest.h>

#include <cstddef>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>
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

// The flat functions the exported-API fuzz harness calls from the entries of its case table,
// kCases, the table a step draws its case from: a call outside it may never run, and one in a
// comment, a literal or under a preprocessor line (#if 0) is no call.
std::set<std::string> CalledFromTheCaseTable(const std::string& harness) {
    const std::string code = TavTest::CodeOnly(harness);
    const std::size_t table = code.find("kCases[]");
    const std::size_t open = code.find('{', table);
    if (table == std::string::npos || open == std::string::npos) {
        throw std::runtime_error("the harness has no case table kCases[]");
    }
    const std::string entries = code.substr(open, TavTest::ClosingBracket(code, open) - open);
    if (std::regex_search(entries, std::regex(R"((^|\n)\s*#)"))) {
        throw std::runtime_error("a preprocessor line in the case table: what it encloses may not be compiled");
    }
    std::set<std::string> called;
    const std::regex call(R"(\b(Tav\w*_\w+)\s*\()");
    for (auto match = std::sregex_iterator(entries.begin(), entries.end(), call); match != std::sregex_iterator();
         ++match) {
        called.insert((*match)[1].str());
    }
    return called;
}

TEST(ExportedInterface, TheFuzzHarnessCallsEveryFlatFunction) {
    const auto called = CalledFromTheCaseTable(ReadSourceFile("fuzz/exported_api_fuzzer.cpp"));
    for (const std::string& name : FlatFunctionNames()) {
        EXPECT_TRUE(called.contains(name)) << "fuzz/exported_api_fuzzer.cpp has no case in kCases that calls " << name;
    }
}

// Only a call in the table's code counts: not one outside the table, in a comment or a string (an
// escaped quote does not end it, an escaped backslash does not hide the quote after it), nor one
// in a character literal; a preprocessor line in the table refuses the harness.
TEST(ExportedInterface, OnlyCallsInTheCaseTableCount) {
    const auto called = CalledFromTheCaseTable(R"x(void Tav_A();
const Case kCases[] = {
    {[] { Tav_B(); }},  // Tav_C(
    /* Tav_D(
    */ {[] { Tav_E("Tav_F(\"Tav_G(", 'T'); Tav_H("\\", Tav_I()); }},
};
void Tav_J();)x");
    EXPECT_EQ(called, (std::set<std::string>{"Tav_B", "Tav_E", "Tav_H", "Tav_I"}));

    EXPECT_THROW(CalledFromTheCaseTable("const Case kCases[] = {\n#if 0\n{[] { Tav_B(); }},\n#endif\n};"),
                 std::runtime_error);
    EXPECT_THROW(CalledFromTheCaseTable("void Step() { Tav_B(); }"), std::runtime_error);
}

TEST(ExportedInterface, TheReadmeCountsTheFlatFunctions) {
    const std::string readme = ReadSourceFile("README.md");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(readme, match, std::regex(R"(flat interface is the (\d+) functions)")));
    EXPECT_EQ(std::stoul(match[1].str()), FlatFunctionNames().size());
}

}  // namespace
