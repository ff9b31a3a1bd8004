// Any smart-card configuration file either fails with ElvarinException or gives blobs that, written
// out again in the file's own layout, read back as the same blobs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzScratchFiles.h"
#include "Tavelin/ElvarinException.h"
#include "common/StringUtils.h"
#include "files/Crc32.h"
#include "files/SmartCardConfigurationFileParser.h"

namespace {

using TavCommon::StringUtils::ToHex;

// The library has no writer of this format; this is the layout the reader documents.
std::string Render(const std::vector<TavCommon::SmartCardConfiguration>& blobs) {
    std::string covered;
    for (std::size_t i = 0; i < blobs.size(); ++i) {
        const auto& header = blobs[i].Header;
        covered += "[Blob" + std::to_string(i) + "]\nhdr=" + ToHex(header.BlobType, 1) + " " +
                   ToHex(header.HeaderByte1, 1) + " " + ToHex(header.DataLength, 1) + " " +
                   ToHex(header.HeaderByte4, 1) + "\ndata=";
        for (std::size_t j = 0; j < header.DataLength; ++j) {
            covered += (j == 0 ? "" : " ") + ToHex(blobs[i].Data[j], 2);
        }
        covered += "\n";
    }
    return covered + "[EOF]\niEndOfIniFile=" + CalculateCrc32(covered);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const auto& scratch = TavFuzz::ScratchFolder::Instance();
    scratch.Write("input", data, size);
    std::vector<TavCommon::SmartCardConfiguration> blobs;
    try {
        blobs = ReadConfigurationFromSmartCardIniFile(scratch.Path("input"));
    } catch (const ElvarinException&) {
        return 0;
    }
    const std::string text = Render(blobs);
    scratch.Write("saved", reinterpret_cast<const uint8_t*>(text.data()), text.size());
    if (ReadConfigurationFromSmartCardIniFile(scratch.Path("saved")) != blobs) {
        std::abort();
    }
    return 0;
}
