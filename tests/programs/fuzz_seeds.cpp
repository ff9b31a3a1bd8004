// Writes a seed for every command and every facade operation of the catalogues into the reply
// fuzzers' corpora: the selectors and argument 0, then the replies a simulated reader in use gave,
// each behind its length byte. Usage: fuzz_seeds <corpus folder>   (fuzz/corpus of the source tree)
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "support/CatalogueRun.h"
#include "support/CommandCatalogue.h"
#include "support/OperationCatalogue.h"

namespace {

bool AppendReplies(std::vector<uint8_t>& seed, const std::vector<std::vector<uint8_t>>& replies) {
    for (const auto& reply : replies) {
        if (reply.size() > 255) {
            return false;
        }
        seed.push_back(static_cast<uint8_t>(reply.size()));
        seed.insert(seed.end(), reply.begin(), reply.end());
    }
    return true;
}

void Write(const std::filesystem::path& path, const std::vector<uint8_t>& seed) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(seed.data()), static_cast<std::streamsize>(seed.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_seeds <corpus folder>\n";
        return 2;
    }
    const std::filesystem::path corpus = argv[1];
    const std::map<TavTest::Wire, std::string> fuzzers = {
        {TavTest::Wire::FeatureReport, "feature_report_reply_fuzzer"},
        {TavTest::Wire::Mfp24, "mfp24_reply_fuzzer"},
        {TavTest::Wire::SerialBinary, "serial_binary_reply_fuzzer"}};
    std::map<TavTest::Wire, uint8_t> selectors;
    for (const auto& command : TavTest::CommandCatalogue()) {
        const uint8_t selector = selectors[command.protocol]++;
        const auto run = TavTest::RunOnSimulatedReader(command);
        std::vector<uint8_t> seed = {selector, 0};
        if (!AppendReplies(seed, run.replies)) {
            std::cerr << command.name << ": a reply longer than a length byte holds\n";
            return 1;
        }
        const auto folder = corpus / fuzzers.at(command.protocol);
        std::filesystem::create_directories(folder);
        Write(folder / std::string(command.name), seed);
    }
    uint8_t selector = 0;
    for (const auto& operation : TavTest::OperationCatalogue()) {
        for (const uint8_t protocol : {1, 2, 3}) {
            const auto run = TavTest::RunOnSimulatedFacade(operation, protocol);
            if (!run.failures.empty()) {
                continue;  // the protocol lacks the operation
            }
            std::vector<uint8_t> seed = {static_cast<uint8_t>(protocol - 1), selector, 0};
            if (!AppendReplies(seed, run.replies)) {
                std::cerr << operation.operation << ": a reply longer than a length byte holds\n";
                return 1;
            }
            const auto folder = corpus / "facade_reply_fuzzer";
            std::filesystem::create_directories(folder);
            Write(folder / (std::string(operation.operation) + "_" + std::to_string(protocol)), seed);
        }
        ++selector;
    }
    return 0;
}
