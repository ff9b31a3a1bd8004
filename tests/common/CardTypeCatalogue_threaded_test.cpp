#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "common/CardTypeRegistry.h"
#include "common/CardTypeResolver.h"

namespace {

using namespace TavCommon;

// The first lookups of the process race each other: the catalogue must be built once and seen whole.
TEST(CardTypeCatalogueThreadedTest, ConcurrentFirstUseSeesOneCompleteCatalogue) {
    std::atomic<bool> go{false};
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&go, &failures, t] {
            while (!go.load()) {
                std::this_thread::yield();
            }
            for (int round = 0; round < 200; ++round) {
                const bool ok = CardTypeRegistry::Count() == 122 &&
                                CardTypeRegistry::FindByName(t % 2 == 0 ? "em" : "NEXKEY").has_value() &&
                                CardTypeResolver::ResolveSupportedCardType(0xF702).size() == 2 &&
                                CardTypeRegistry::FindByCode(0x7F01).size() == 6;
                if (!ok) {
                    ++failures;
                }
            }
        });
    }
    go = true;
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
