#include "featureReport/GetStringWithFeatureReportProtocol.h"

#include <algorithm>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

namespace {
constexpr const char* kEmptyReply = "The byte array received by GetStringWithFeatureReportProtocol is empty.";
// The phrase number is one byte on the wire.
constexpr int32_t kMaxPhrases = 256;
}  // namespace

bool GetStringWithFeatureReportProtocol::ReverseSeekNullTerminator(const std::vector<uint8_t>& response) {
    if (response.empty()) {
        TAV_THROW(ProtocolException, kEmptyReply);
    }
    return std::find(response.rbegin(), response.rend(), 0) != response.rend();
}

bool GetStringWithFeatureReportProtocol::HasCommandPhrase() {
    if (responsePhrasesAdded_ == 0) {
        return true;
    }
    if (ReverseSeekNullTerminator(responsePhrases_.back())) {
        return false;
    }
    // Without its end a short reply has lost the rest of its phrase: the text would close over the gap.
    if (responsePhrases_.back().size() < kFeatureReportPhraseLength) {
        TAV_THROW(ProtocolException, "GetString received a reply shorter than a phrase without the end of the string.");
    }
    if (commandPhrasesProduced_ >= kMaxPhrases) {
        TAV_THROW(ProtocolException, "GetString read 256 phrases without finding the end of the string.");
    }
    return true;
}

std::vector<uint8_t> GetStringWithFeatureReportProtocol::NextCommandPhrase() {
    const auto phrase = static_cast<uint8_t>(commandPhrasesProduced_);
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x8C, 0x04, static_cast<uint8_t>(index_), phrase});
}

void GetStringWithFeatureReportProtocol::ValidateResponse() const {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, "No response received from the device.");
    }
    const auto& last = responsePhrases_.back();
    if (last.empty()) {
        TAV_THROW(ProtocolException, kEmptyReply);
    }
    if (std::find(last.begin(), last.end(), 0) == last.end()) {
        TAV_THROW(ProtocolException,
                  "The response received from the device does not contain a null terminator. Did you read far "
                  "enough?");
    }
}

std::string GetStringWithFeatureReportProtocol::GetResult() const {
    std::string text;
    for (const auto& reply : responsePhrases_) {
        for (const uint8_t byte : reply) {
            if (byte == 0) {
                return text;
            }
            text.push_back(static_cast<char>(byte));
        }
    }
    return text;
}

}  // namespace TavProtocol
