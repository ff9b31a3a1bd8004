#include "featureReport/GetESNWithFeatureReportProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
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
    std::string esn;
    for (const auto& reply : responsePhrases_) {
        esn.append(reply.begin(), reply.end());
    }
    return esn;
}

}  // namespace TavProtocol
