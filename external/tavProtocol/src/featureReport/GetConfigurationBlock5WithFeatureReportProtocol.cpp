#include "featureReport/GetConfigurationBlock5WithFeatureReportProtocol.h"

#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> GetConfigurationBlock5WithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x84});
}

ReaderConfigurationBlock5 GetConfigurationBlock5WithFeatureReportProtocol::GetResult() const {
    ReplyReader::Of(responsePhrases_, 0, "Invalid response received for GetConfigurationBlock5 command.",
                    TAV_CHECK_SITE)
        .RequireAtLeast(kFeatureReportPhraseLength);
    return ReaderConfigurationBlock5::FromBytes(responsePhrases_.front());
}

}  // namespace TavProtocol
