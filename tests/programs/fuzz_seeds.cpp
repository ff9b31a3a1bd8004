// Writes the catalogue fuzzers' seeds anew (CatalogueFuzzSeeds.h): their folders are emptied
// first, so a renamed or removed row leaves no seed behind.
// Usage: fuzz_seeds <corpus folder>   (fuzz/corpus of the source tree; scripts/write-fuzz-seeds.sh
// builds this program and runs it so)
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>

#include "support/CatalogueFuzzSeeds.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_seeds <corpus folder>\n";
        return 2;
    }
    const std::filesystem::path corpus = argv[1];
    try {
        const auto seeds = TavTest::CatalogueFuzzSeeds();
        for (const auto& fuzzer : TavTest::CatalogueFuzzers()) {
            std::filesystem::remove_all(corpus / fuzzer);
            std::filesystem::create_directories(corpus / fuzzer);
        }
        for (const auto& seed : seeds) {
            std::ofstream(corpus / seed.fuzzer / seed.file, std::ios::binary)
                .write(reinterpret_cast<const char*>(seed.bytes.data()), static_cast<std::streamsize>(seed.bytes.size()));
        }
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    return 0;
}
