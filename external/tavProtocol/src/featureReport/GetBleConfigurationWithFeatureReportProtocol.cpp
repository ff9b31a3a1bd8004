#include "featureReport/GetBleConfigurationWithFeatureReportProtocol.h"

#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> GetBleConfigurationWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0x8C, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
}

void GetBleConfigurationWithFeatureReportProtocol::AddResponsePhrase(const std::vector<uint8_t>& response) {
    ReplyReader(response, "Invalid response phrase size for GetBleConfiguration command", TAV_CHECK_SITE)
        .RequireExactly(kFeatureReportPhraseLength);
    ReplyReader(response, "Invalid response header for GetBleConfiguration command", TAV_CHECK_SITE)
        .Expect(0, {0x8C, 0x07});
    responsePhrases_.push_back(response);
    ++responsePhrasesAdded_;
}

void GetBleConfigurationWithFeatureReportProtocol::ValidateResponse() const {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException,
                  "Attempted to get result of GetBleConfiguration before all responses were received");
    }
    ReplyReader(responsePhrases_.front(), "Response phrase is empty", TAV_CHECK_SITE).RequireAtLeast(1);
    ReplyReader(responsePhrases_.front(), "Invalid response phrase", TAV_CHECK_SITE).Expect(0, {0x8C, 0x07});
}

BleConfiguration GetBleConfigurationWithFeatureReportProtocol::GetResult() const {
    // No reply reads as an empty one: no configuration.
    const ReplyReader reply = ReplyReader::Of(responsePhrases_, 0, "Invalid response phrase", TAV_CHECK_SITE);
    if (reply.Size() < kFeatureReportPhraseLength) {
        return {};
    }
    return {reply.Byte(2), static_cast<int8_t>(reply.Byte(3)), static_cast<int8_t>(reply.Byte(4))};
}

}  // namespace TavProtocol
