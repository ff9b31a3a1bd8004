// Saves running at once into one folder each draw a temporary name of their own: every target ends
// whole, with its own text, and no temporary file is left.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "FileFixture.h"
#include "files/AtomicFileReplace.h"

namespace {

using TavFiles::AtomicFileReplace;

class AtomicFileReplaceThreadedTest : public TavTest::FileFixture {};

TEST_F(AtomicFileReplaceThreadedTest, SavesIntoOneFolderAtOnceEachEndWhole) {
    constexpr int kSaves = 8;
    // Each save keeps its temporary file open until all have made theirs, so that eight share the
    // folder at once. The wait is bounded so that a save that never makes one cannot hang the rest.
    std::mutex mutex;
    std::condition_variable allCreated;
    int created = 0;
    TavFiles::SetTemporaryFileStepHook([&](TavFiles::TemporaryFileStep step, int) {
        if (step != TavFiles::TemporaryFileStep::Created) {
            return;
        }
        std::unique_lock lock(mutex);
        ++created;
        allCreated.notify_all();
        allCreated.wait_for(lock, std::chrono::seconds(10), [&created] { return created == kSaves; });
    });

    std::vector<std::string> names;
    std::vector<std::string> texts;
    for (int i = 0; i < kSaves; ++i) {
        names.push_back("target" + std::to_string(i) + ".hwg");
        if (i % 2 == 0) {
            Write("old content", names.back());
        }
        std::string text;
        while (text.size() < 256 * 1024) {
            text += "save " + std::to_string(i) + ", line " + std::to_string(text.size()) + "\n";
        }
        texts.push_back(std::move(text));
    }
    std::vector<AtomicFileReplace> results(kSaves);
    std::vector<std::thread> threads;
    for (int i = 0; i < kSaves; ++i) {
        threads.emplace_back([&, i] { results[i] = TavFiles::ReplaceFileAtomically(PathOf(names[i]), texts[i]); });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    TavFiles::SetTemporaryFileStepHook({});

    for (int i = 0; i < kSaves; ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_EQ(results[i].outcome, AtomicFileReplace::Outcome::Replaced) << results[i].reason;
        EXPECT_TRUE(Read(PathOf(names[i])) == texts[i]);
    }
    std::vector<std::string> entries = Entries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, names);
}

}  // namespace
