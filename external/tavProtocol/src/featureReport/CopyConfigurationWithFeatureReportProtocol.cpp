#include "featureReport/CopyConfigurationWithFeatureReportProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> CopyConfigurationWithFeatureReportProtocol::RequestPhrase() const {
    return FeatureReportPhrase(
        {0x89, 0x82, static_cast<uint8_t>(source_), static_cast<uint8_t>(destination_), third_, fourth_});
}

std::vector<uint8_t> CopyConfigurationWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return RequestPhrase();
}

void CopyConfigurationWithFeatureReportProtocol::ValidateResponse() const {
    if (responsePhrases_.empty() || responsePhrases_.front() != RequestPhrase()) {
        TAV_THROW(ProtocolException,
                  "Response from reader did not match expected response for CopyConfiguration command.");
    }
}

}  // namespace TavProtocol
