// The command catalogue the reply fuzzers run is whole, and every command in it meets the
// simulated reader of its protocol without a failure.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/CatalogueRun.h"
#include "support/CommandCatalogue.h"
#include "support/NameDifference.h"

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
    std::set<std::string> listed;
    std::set<std::string> listedTwice;
    for (const auto& command : CommandCatalogue()) {
        if (!listed.insert(std::string(command.name)).second) {
            listedTwice.insert(std::string(command.name));
        }
    }
    EXPECT_THAT(listedTwice, testing::IsEmpty()) << "commands listed twice in CommandCatalogue()";
    EXPECT_EQ(TavTest::NamesNotIn(classes, listed), "") << "command classes without a row in CommandCatalogue()";
    EXPECT_EQ(TavTest::NamesNotIn(listed, classes), "") << "rows of CommandCatalogue() that name no command class";
}

TEST(CommandCatalogue, EveryCommandRunsCleanAgainstTheSimulatedReader) {
    for (const auto& command : CommandCatalogue()) {
        const auto run = TavTest::RunOnSimulatedReader(command);
        EXPECT_THAT(run.failures, testing::IsEmpty()) << command.name;
    }
}

}  // namespace
