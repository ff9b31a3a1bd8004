#include "featureReport/GetCardBitCountWithFeatureReportProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> GetCardBitCountWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x8E});
}

uint8_t GetCardBitCountWithFeatureReportProtocol::GetResult() const {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, "No response has been received. Did you execute the comand?");
    }
    return ReplyReader(responsePhrases_.front(), "Empty response has been received for GetCardBitCount command.",
                       TAV_CHECK_SITE)
        .Byte(0);
}

}  // namespace TavProtocol
