// The lists that keep the flat interface whole name every function of include/Tavelin.h: what the
// library must export, what the exported-API fuzz harness calls, and the count the README gives.
// A function added to the header and left out of one of them fails here.
#include <gtest/gtest.h>

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

TEST(ExportedInterface, TheFuzzHarnessCallsEveryFlatFunction) {
    const std::string harness = ReadSourceFile("fuzz/exported_api_fuzzer.cpp");
    for (const std::string& name : FlatFunctionNames()) {
        EXPECT_NE(harness.find(name + "("), std::string::npos) << "fuzz/exported_api_fuzzer.cpp has no case for "
                                                               << name;
    }
}

TEST(ExportedInterface, TheReadmeCountsTheFlatFunctions) {
    const std::string readme = ReadSourceFile("README.md");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(readme, match, std::regex(R"(flat interface is the (\d+) functions)")));
    EXPECT_EQ(std::stoul(match[1].str()), FlatFunctionNames().size());
}

}  // namespace
