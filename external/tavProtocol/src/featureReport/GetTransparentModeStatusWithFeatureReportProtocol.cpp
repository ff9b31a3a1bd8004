#include "featureReport/GetTransparentModeStatusWithFeatureReportProtocol.h"

#include <algorithm>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

namespace {
constexpr const char* kNoReply = "No response has been received.";
constexpr const char* kWrongSize = "Invalid response phrase size. Expected 8 bytes.";
}  // namespace

std::vector<uint8_t> GetTransparentModeStatusWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x8C, 0x00});
}

void GetTransparentModeStatusWithFeatureReportProtocol::ValidateResponse() const {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, kNoReply);
    }
    if (responsePhrases_.front().size() != kFeatureReportPhraseLength) {
        TAV_THROW(ProtocolException, kWrongSize);
    }
}

TransparentModeStatusInformation GetTransparentModeStatusWithFeatureReportProtocol::GetResult() const {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, kNoReply);
    }
    const ReplyReader reply(responsePhrases_.front(), kWrongSize, TAV_CHECK_SITE);
    reply.RequireExactly(kFeatureReportPhraseLength);
    // Eight zero bytes: the reader has no transparent mode.
    const auto bytes = reply.All();
    if (std::all_of(bytes.begin(), bytes.end(), [](uint8_t byte) { return byte == 0; })) {
        return TransparentModeStatusInformation{};
    }
    if (!reply.Matches(0, {0x8C, 0x00})) {
        TAV_THROW(ProtocolException, "Invalid ACK data has been received.");
    }
    return TransparentModeStatusInformation{1, static_cast<TransparentModeState>(reply.Byte(2)),
                                            static_cast<TransparentModeStatus>(reply.Byte(3))};
}

}  // namespace TavProtocol
