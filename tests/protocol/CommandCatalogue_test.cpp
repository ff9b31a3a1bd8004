// The command catalogue the reply fuzzers run is whole, and every command in it meets the
// simulated reader of its protocol without a failure.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/CatalogueRun.h"
#include "support/CommandCatalogue.h"

namespace {

using TavTest::CommandCatalogue;

TEST(CommandCatalogue, NamesEveryCommandClassOnce) {
    const auto root = std::filesystem::path(TAV_TEST_SOURCE_DIR) / ".." / "external" / "tavProtocol" / "src";
    std::set<std::string> classes;
    for (const char* folder : {"featureReport", "mfp24", "serialBinary"}) {
        for (const auto& entry : std::filesystem::directory_iterator(root / folder)) {
            const std::string stem = entry.path().stem().string();
            if (entry.path().extension() == ".h" && stem.find("With") != std::string::npos &&
                stem.ends_with("Protocol")) {
                classes.insert(stem);
            }
        }
    }
    std::multiset<std::string> listed;
    for (const auto& command : CommandCatalogue()) {
        listed.insert(std::string(command.name));
    }
    const std::set<std::string> distinct(listed.begin(), listed.end());
    EXPECT_EQ(distinct.size(), listed.size()) << "a command is listed twice";
    EXPECT_EQ(distinct, classes);
}

TEST(CommandCatalogue, EveryCommandRunsCleanAgainstTheSimulatedReader) {
    for (const auto& command : CommandCatalogue()) {
        const auto run = TavTest::RunOnSimulatedReader(command);
        EXPECT_THAT(run.failures, testing::IsEmpty()) << command.name;
    }
}

}  // namespace
