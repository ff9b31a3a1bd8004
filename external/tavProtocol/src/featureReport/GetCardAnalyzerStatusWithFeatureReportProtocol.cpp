#include "featureReport/GetCardAnalyzerStatusWithFeatureReportProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> GetCardAnalyzerStatusWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x8C, 0x08});
}

CardAnalyzerStatus GetCardAnalyzerStatusWithFeatureReportProtocol::GetResult() const {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, "No response has been received.");
    }
    const ReplyReader reply(responsePhrases_.front(),
                            "Invalid response packet received for GetCardAnalyzerStatus command.", TAV_CHECK_SITE);
    return reply.Expect(0, {0x8C, 0x08}).LittleEndian16(2);
}

}  // namespace TavProtocol
