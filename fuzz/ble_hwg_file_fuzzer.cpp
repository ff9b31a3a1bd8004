// Any BLE HWG file either fails with ElvarinException or gives a record that, saved with the
// trailer and loaded again, is the same record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzScratchFiles.h"
#include "Tavelin/ElvarinException.h"
#include "files/BleHwgFileParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const auto& scratch = TavFuzz::ScratchFolder::Instance();
    scratch.Write("input", data, size);
    TavCommon::ReaderBleConfiguration record;
    try {
        record = ReadBleConfigurationFromBleHwgFile(scratch.Path("input"));
    } catch (const ElvarinException&) {
        return 0;
    }
    // Whatever loads can be saved: an error here is a finding.
    WriteBleConfigurationToBleHwgFile(record, scratch.Path("saved"), {"fuzz", "fuzz", false}, true);
    if (ReadBleConfigurationFromBleHwgFile(scratch.Path("saved")) != record) {
        std::abort();
    }
    return 0;
}
