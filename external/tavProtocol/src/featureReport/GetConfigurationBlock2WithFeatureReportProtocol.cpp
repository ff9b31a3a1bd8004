#include "featureReport/GetConfigurationBlock2WithFeatureReportProtocol.h"

#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> GetConfigurationBlock2WithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x81});
}

ReaderConfigurationBlock2 GetConfigurationBlock2WithFeatureReportProtocol::GetResult() const {
    ReplyReader::Of(responsePhrases_, 0, "Invalid response received for GetConfigurationBlock2 command.",
                    TAV_CHECK_SITE)
        .RequireAtLeast(kFeatureReportPhraseLength);
    return ReaderConfigurationBlock2::FromBytes(responsePhrases_.front());
}

}  // namespace TavProtocol
