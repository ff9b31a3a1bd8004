#include "featureReport/GetSystemUptimeWithFeatureReportProtocol.h"

#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> GetSystemUptimeWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x89, 0x06});
}

unsigned int GetSystemUptimeWithFeatureReportProtocol::GetResult() {
    uptime_ = ReplyReader::Of(responsePhrases_, 0, "No valid response has been received for GetSystemUptime command.",
                              TAV_CHECK_SITE)
                  .RequireAtLeast(kFeatureReportPhraseLength)
                  .LittleEndian32(0);
    return uptime_;
}

}  // namespace TavProtocol
