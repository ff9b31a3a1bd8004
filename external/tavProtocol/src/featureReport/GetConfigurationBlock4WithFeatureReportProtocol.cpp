#include "featureReport/GetConfigurationBlock4WithFeatureReportProtocol.h"

#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> GetConfigurationBlock4WithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x83});
}

ReaderConfigurationBlock4 GetConfigurationBlock4WithFeatureReportProtocol::GetResult() const {
    ReplyReader::Of(responsePhrases_, 0, "Invalid response received for GetConfigurationBlock4 command.",
                    TAV_CHECK_SITE)
        .RequireAtLeast(kFeatureReportPhraseLength);
    return ReaderConfigurationBlock4::FromBytes(responsePhrases_.front());
}

}  // namespace TavProtocol
