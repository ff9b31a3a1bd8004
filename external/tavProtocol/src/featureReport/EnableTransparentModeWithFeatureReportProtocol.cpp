#include "featureReport/EnableTransparentModeWithFeatureReportProtocol.h"

#include <algorithm>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> EnableTransparentModeWithFeatureReportProtocol::RequestPhrase() const {
    return FeatureReportPhrase({0x8C, 0x80, enable_});
}

std::vector<uint8_t> EnableTransparentModeWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return RequestPhrase();
}

void EnableTransparentModeWithFeatureReportProtocol::ValidateResponse() const {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, "No response has been received.");
    }
    const auto& reply = responsePhrases_.front();
    if (reply.size() != kFeatureReportPhraseLength) {
        TAV_THROW(ProtocolException, "Invalid response phrase size. Expected 8 bytes.");
    }
    // A reader without transparent mode answers with eight zero bytes.
    if (std::all_of(reply.begin(), reply.end(), [](uint8_t byte) { return byte == 0; })) {
        TAV_THROW(ProtocolException, "Transparent mode is not supported on this device.");
    }
    if (reply != RequestPhrase()) {
        TAV_THROW(ProtocolException, "Invalid ACK data has been received.");
    }
}

}  // namespace TavProtocol
