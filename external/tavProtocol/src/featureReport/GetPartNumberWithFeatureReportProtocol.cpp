#include "featureReport/GetPartNumberWithFeatureReportProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> GetPartNumberWithFeatureReportProtocol::NextCommandPhrase() {
    const auto index = static_cast<uint8_t>(commandPhrasesProduced_);
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x8C, 0x01, index});
}

std::string GetPartNumberWithFeatureReportProtocol::GetResult() const {
    if (responsePhrasesAdded_ < kPhraseCount) {
        TAV_THROW(ProtocolException,
                  "GetPartNumberWithFeatureReportProtocol::GetResult called before all response phrases were added");
    }
    std::string partNumber;
    for (const auto& reply : responsePhrases_) {
        for (const uint8_t byte : reply) {
            if (byte == 0) {
                return partNumber;
            }
            partNumber.push_back(static_cast<char>(byte));
        }
    }
    return partNumber;
}

}  // namespace TavProtocol
