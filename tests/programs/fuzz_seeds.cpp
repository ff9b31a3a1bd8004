// Writes a seed for every command of the catalogue into the reply fuzzers' corpora: the command's
// selector and argument 0, then the replies a simulated reader in use gave it, each behind its
// length byte. Usage: fuzz_seeds <corpus folder>   (fuzz/corpus of the source tree)
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "support/CatalogueRun.h"
#include "support/CommandCatalogue.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_seeds <corpus folder>\n";
        return 2;
    }
    const std::filesystem::path corpus = argv[1];
    const std::map<TavTest::WireProtocol, std::string> fuzzers = {
        {TavTest::WireProtocol::FeatureReport, "feature_report_reply_fuzzer"},
        {TavTest::WireProtocol::Mfp24, "mfp24_reply_fuzzer"},
        {TavTest::WireProtocol::SerialBinary, "serial_binary_reply_fuzzer"}};
    std::map<TavTest::WireProtocol, uint8_t> selectors;
    for (const auto& command : TavTest::CommandCatalogue()) {
        const uint8_t selector = selectors[command.protocol]++;
        const auto run = TavTest::RunOnSimulatedReader(command);
        std::vector<uint8_t> seed = {selector, 0};
        for (const auto& reply : run.replies) {
            if (reply.size() > 255) {
                std::cerr << command.name << ": a reply longer than a length byte holds\n";
                return 1;
            }
            seed.push_back(static_cast<uint8_t>(reply.size()));
            seed.insert(seed.end(), reply.begin(), reply.end());
        }
        const auto folder = corpus / fuzzers.at(command.protocol);
        std::filesystem::create_directories(folder);
        std::ofstream(folder / std::string(command.name), std::ios::binary)
            .write(reinterpret_cast<const char*>(seed.data()), static_cast<std::streamsize>(seed.size()));
    }
    return 0;
}
