#include "featureReport/GetConfigurationBlock3WithFeatureReportProtocol.h"

#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> GetConfigurationBlock3WithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x82});
}

ReaderConfigurationBlock3 GetConfigurationBlock3WithFeatureReportProtocol::GetResult() const {
    ReplyReader::Of(responsePhrases_, 0, "Invalid response received for GetConfigurationBlock3 command.",
                    TAV_CHECK_SITE)
        .RequireAtLeast(kFeatureReportPhraseLength);
    return ReaderConfigurationBlock3::FromBytes(responsePhrases_.front());
}

}  // namespace TavProtocol
