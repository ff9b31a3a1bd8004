#include "featureReport/GetBleConfigurationWithFeatureReportProtocol.h"

#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

std::vector<uint8_t> GetBleConfigurationWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0x8C, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
}

void GetBleConfigurationWithFeatureReportProtocol::AddResponsePhrase(const std::vector<uint8_t>& response) {
    ReplyReader(response, "Invalid response phrase size for GetBleConfiguration command", TAV_CHECK_SITE)
        .RequireExactly(8);
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
    if (responsePhrases_.front().empty()) {
        TAV_THROW(ProtocolException, "Response phrase is empty");
    }
    ReplyReader(responsePhrases_.front(), "Invalid response phrase", TAV_CHECK_SITE).Expect(0, {0x8C, 0x07});
}

BleConfiguration GetBleConfigurationWithFeatureReportProtocol::GetResult() const {
    if (responsePhrases_.empty() || responsePhrases_.front().size() < 8) {
        return {};
    }
    const auto& reply = responsePhrases_.front();
    return {reply[2], static_cast<int8_t>(reply[3]), static_cast<int8_t>(reply[4])};
}

}  // namespace TavProtocol
