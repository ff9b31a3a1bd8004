// The committed seeds of the catalogue fuzzers are the ones the catalogues and the simulated
// reader give today: a row added, renamed or removed, or a simulator that answers differently,
// without the seeds written anew fails here.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "support/CatalogueFuzzSeeds.h"

namespace {

using Files = std::map<std::string, std::vector<uint8_t>>;

Files ReadFolder(const std::filesystem::path& folder) {
    Files files;
    if (!std::filesystem::is_directory(folder)) {
        return files;
    }
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] =
            std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return files;
}

TEST(CatalogueFuzzSeeds, CommittedSeedsAreTheOnesTheCataloguesWrite) {
    const auto corpus = std::filesystem::path(TAV_TEST_SOURCE_DIR) / ".." / "fuzz" / "corpus";
    std::map<std::string, Files> written;
    for (const auto& seed : TavTest::CatalogueFuzzSeeds()) {
        written[seed.fuzzer][seed.file] = seed.bytes;
    }
    for (const auto& fuzzer : TavTest::CatalogueFuzzers()) {
        const Files committed = ReadFolder(corpus / fuzzer);
        for (const auto& [file, bytes] : written[fuzzer]) {
            const auto found = committed.find(file);
            EXPECT_TRUE(found != committed.end() && found->second == bytes)
                << fuzzer << "/" << file << " is missing or stale: run scripts/write-fuzz-seeds.sh";
        }
        for (const auto& [file, bytes] : committed) {
            EXPECT_TRUE(written[fuzzer].contains(file))
                << fuzzer << "/" << file << " names no row: run scripts/write-fuzz-seeds.sh";
        }
    }
}

}  // namespace
