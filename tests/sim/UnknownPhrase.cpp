#include "sim/UnknownPhrase.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace TavSim {

namespace {

std::atomic<UnknownPhraseReport> report{&AbortOnUnknownPhrase};

}  // namespace

void SetUnknownPhraseReport(UnknownPhraseReport replacement) {
    report = replacement;
}

void AbortOnUnknownPhrase(const std::string& description) {
    std::fprintf(stderr, "%s\n", description.c_str());
    std::abort();
}

void ReportUnknownPhrase(std::string_view reader, std::span<const uint8_t> phrase) {
    std::string description = "The simulated ";
    description.append(reader).append(" reader has no handler for the phrase");
    for (const uint8_t byte : phrase) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", byte);
        description += hex;
    }
    description +=
        ": add its handler to the reader's command table, or call AllowUnknownPhrases() where a test sends it on "
        "purpose";
    report.load()(description);
}

}  // namespace TavSim
