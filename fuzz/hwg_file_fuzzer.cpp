// Any HWG file either fails with ElvarinException or gives configurations that, saved with the
// trailer and loaded again, are the same values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "FuzzScratchFiles.h"
#include "Tavelin/ElvarinException.h"
#include "files/HwgFileParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const auto& scratch = TavFuzz::ScratchFolder::Instance();
    scratch.Write("input", data, size);
    std::vector<TavCommon::HwgConfigurationRecord> records;
    try {
        records = ReadConfigurationFromHwgFile(scratch.Path("input"));
    } catch (const ElvarinException&) {
        return 0;
    }
    std::vector<TavCommon::ReaderConfiguration> configurations;
    std::vector<TavCommon::ExtendedConfiguration> extended;
    for (const auto& record : records) {
        configurations.push_back(record.ReaderConfiguration);
        extended.push_back(record.ExtendedConfiguration);
    }
    // Whatever loads can be saved: an error here is a finding.
    WriteConfigurationToHwgFile(configurations, extended, scratch.Path("saved"), {"fuzz", "fuzz", true});
    const auto again = ReadConfigurationFromHwgFile(scratch.Path("saved"));
    if (again.size() != records.size()) {
        std::abort();
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        TavCommon::ReaderConfiguration expected = records[i].ReaderConfiguration;
        // A file of one configuration has no card selection to carry.
        if (records.size() == 1) {
            expected.CardType = 0;
            expected.HighPriorityCardType = 0;
        }
        if (std::memcmp(&again[i].ReaderConfiguration, &expected, sizeof expected) != 0 ||
            again[i].ExtendedConfiguration != records[i].ExtendedConfiguration ||
            again[i].HasCardSelection != (records.size() > 1)) {
            std::abort();
        }
    }
    return 0;
}
