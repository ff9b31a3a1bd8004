#include "featureReport/GetESNWithFeatureReportProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> GetESNWithFeatureReportProtocol::NextCommandPhrase() {
    const auto index = static_cast<uint8_t>(commandPhrasesProduced_);
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x8C, 0x05, index});
}

std::string GetESNWithFeatureReportProtocol::GetResult() const {
    if (responsePhrases_.size() != static_cast<std::size_t>(kPhraseCount)) {
        TAV_THROW(ProtocolException, "Attempted to get result of GetESN before all responses were received");
    }
    // A reply that is missing or short would shift every later byte into another place of the ESN.
    std::string esn;
    for (std::size_t i = 0; i < responsePhrases_.size(); ++i) {
        const auto bytes =
            ReplyReader::Of(responsePhrases_, i, "Invalid response received for GetESN command.", TAV_CHECK_SITE)
                .RequireExactly(kFeatureReportPhraseLength)
                .All();
        esn.append(bytes.begin(), bytes.end());
    }
    return esn;
}

}  // namespace TavProtocol
