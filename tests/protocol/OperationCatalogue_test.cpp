// The facade-operation catalogue the facade fuzzer runs reaches every command visitor, and every
// operation in it succeeds at a simulated reader of a protocol that has it.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/CatalogueRun.h"
#include "support/NameDifference.h"
#include "support/OperationCatalogue.h"

namespace {

using TavTest::OperationCatalogue;

TEST(OperationCatalogue, ReachesEveryVisitor) {
    const auto folder =
        std::filesystem::path(TAV_TEST_SOURCE_DIR) / ".." / "external" / "tavProtocol" / "src" / "visitors";
    std::set<std::string> visitors;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string stem = entry.path().stem().string();
        if (entry.path().extension() == ".h" && stem.ends_with("Visitor")) {
            visitors.insert(stem);
        }
    }
    std::set<std::string> reached;
    for (const auto& operation : OperationCatalogue()) {
        if (!operation.visitor.empty()) {
            reached.insert(std::string(operation.visitor));
        }
    }
    EXPECT_EQ(TavTest::NamesNotIn(visitors, reached), "") << "visitors no row of OperationCatalogue() reaches";
    EXPECT_EQ(TavTest::NamesNotIn(reached, visitors), "") << "rows of OperationCatalogue() naming no visitor";
}

TEST(OperationCatalogue, EveryOperationSucceedsOnAProtocolThatHasIt) {
    for (const auto& operation : OperationCatalogue()) {
        std::string failures;
        bool succeeded = false;
        for (const uint8_t protocol : {1, 2, 3}) {
            const auto run = TavTest::RunOnSimulatedFacade(operation, protocol);
            succeeded = succeeded || run.failures.empty();
            for (const auto& failure : run.failures) {
                failures += std::to_string(protocol) + ": " + failure + "\n";
            }
        }
        EXPECT_TRUE(succeeded) << operation.operation << " failed on every protocol:\n" << failures;
    }
}

}  // namespace
