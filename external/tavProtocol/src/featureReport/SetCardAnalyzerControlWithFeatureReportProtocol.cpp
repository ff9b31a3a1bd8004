#include "featureReport/SetCardAnalyzerControlWithFeatureReportProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> SetCardAnalyzerControlWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x8C, 0x88, static_cast<uint8_t>(code_)});
}

void SetCardAnalyzerControlWithFeatureReportProtocol::ValidateResponse() const {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, "No response has been received");
    }
    ReplyReader(responsePhrases_.front(),
                "Invalid response packet received from reader after SetCardAnalyzerControl command", TAV_CHECK_SITE)
        .Expect(0, {0x8C, 0x88, static_cast<uint8_t>(code_), 0x00, 0x00, 0x00, 0x00, 0x00});
}

}  // namespace TavProtocol
