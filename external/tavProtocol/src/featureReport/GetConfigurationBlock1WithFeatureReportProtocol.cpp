#include "featureReport/GetConfigurationBlock1WithFeatureReportProtocol.h"

#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> GetConfigurationBlock1WithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x80});
}

ReaderConfigurationBlock1 GetConfigurationBlock1WithFeatureReportProtocol::GetResult() const {
    ReplyReader::Of(responsePhrases_, 0, "Invalid response received for GetConfigurationBlock1 command.",
                    TAV_CHECK_SITE)
        .RequireAtLeast(kFeatureReportPhraseLength);
    return ReaderConfigurationBlock1::FromBytes(responsePhrases_.front());
}

}  // namespace TavProtocol
