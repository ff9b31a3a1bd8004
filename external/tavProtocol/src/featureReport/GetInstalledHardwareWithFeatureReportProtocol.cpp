#include "featureReport/GetInstalledHardwareWithFeatureReportProtocol.h"

#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> GetInstalledHardwareWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x89, 0x05});
}

InstalledHardwareInformation GetInstalledHardwareWithFeatureReportProtocol::GetResult() const {
    const auto reply =
        ReplyReader::Of(responsePhrases_, 0, "No valid response has been received for GetInstalledHardware command.",
                        TAV_CHECK_SITE)
            .RequireAtLeast(kFeatureReportPhraseLength);
    // Bytes 4-7 say what is supported, bytes 0-3 what is installed.
    const uint32_t supported = reply.LittleEndian32(4);
    const uint32_t installed = reply.LittleEndian32(0);
    InstalledHardwareInformation information;
    for (std::size_t i = 0; i < InstalledHardwareInformation::kSupportedCount; ++i) {
        information.Flags[i] = (supported >> i) & 1U;
    }
    for (std::size_t j = 0; j < InstalledHardwareInformation::kInstalledCount; ++j) {
        information.Flags[InstalledHardwareInformation::kSupportedCount + j] = (installed >> j) & 1U;
    }
    return information;
}

}  // namespace TavProtocol
