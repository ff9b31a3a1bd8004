#include "featureReport/GetPartNumberWithFeatureReportProtocol.h"

#include <algorithm>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
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
        // A short reply before the end of the text has lost bytes the text would close over.
        if (std::find(reply.begin(), reply.end(), 0) == reply.end()) {
            ReplyReader(reply, "Invalid response received for GetPartNumber command.", TAV_CHECK_SITE)
                .RequireExactly(kFeatureReportPhraseLength);
        }
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
