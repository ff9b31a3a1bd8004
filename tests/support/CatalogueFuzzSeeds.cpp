#include "support/CatalogueFuzzSeeds.h"

#include <map>
#include <stdexcept>

#include "support/CatalogueFuzzInput.h"
#include "support/CatalogueRun.h"
#include "support/CommandCatalogue.h"
#include "support/OperationCatalogue.h"

namespace TavTest {

namespace {

constexpr const char* kFacadeFuzzer = "facade_reply_fuzzer";

const std::map<Wire, std::string>& CommandFuzzers() {
    static const std::map<Wire, std::string> fuzzers = {{Wire::FeatureReport, "feature_report_reply_fuzzer"},
                                                        {Wire::Mfp24, "mfp24_reply_fuzzer"},
                                                        {Wire::SerialBinary, "serial_binary_reply_fuzzer"}};
    return fuzzers;
}

std::vector<uint8_t> Seed(std::vector<uint8_t> head, std::string_view rowName,
                          const std::vector<std::vector<uint8_t>>& replies) {
    for (const auto& reply : replies) {
        if (reply.size() > 255) {
            throw std::runtime_error(std::string(rowName) + ": a reply longer than a length byte holds");
        }
        head.push_back(static_cast<uint8_t>(reply.size()));
        head.insert(head.end(), reply.begin(), reply.end());
    }
    return head;
}

}  // namespace

std::vector<std::string> CatalogueFuzzers() {
    std::vector<std::string> fuzzers = {kFacadeFuzzer};
    for (const auto& [wire, fuzzer] : CommandFuzzers()) {
        fuzzers.push_back(fuzzer);
    }
    return fuzzers;
}

std::vector<CatalogueFuzzSeed> CatalogueFuzzSeeds() {
    std::vector<CatalogueFuzzSeed> seeds;
    for (const auto& command : CommandCatalogue()) {
        const auto run = RunOnSimulatedReader(command);
        seeds.push_back({CommandFuzzers().at(command.protocol), std::string(command.name),
                         Seed(CatalogueSeedHead(command.name), command.name, run.replies)});
    }
    for (const auto& operation : OperationCatalogue()) {
        for (const uint8_t protocol : {1, 2, 3}) {
            const auto run = RunOnSimulatedFacade(operation, protocol);
            if (!run.failures.empty()) {
                continue;  // the protocol lacks the operation
            }
            std::vector<uint8_t> head = {static_cast<uint8_t>(protocol - 1)};
            const auto name = CatalogueSeedHead(operation.operation);
            head.insert(head.end(), name.begin(), name.end());
            seeds.push_back({kFacadeFuzzer, std::string(operation.operation) + "_" + std::to_string(protocol),
                             Seed(std::move(head), operation.operation, run.replies)});
        }
    }
    return seeds;
}

}  // namespace TavTest
