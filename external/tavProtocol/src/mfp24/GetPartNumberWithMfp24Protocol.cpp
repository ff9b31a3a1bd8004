#include "mfp24/GetPartNumberWithMfp24Protocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "mfp24/Mfp24Phrase.h"

namespace TavProtocol {

namespace {
constexpr const char* kIncomplete = "ValidateResponse called before all response phrases were added";
}

std::vector<uint8_t> GetPartNumberWithMfp24Protocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return Mfp24Phrase::Make("QRZ01");
}

void GetPartNumberWithMfp24Protocol::ValidateResponse() const {
    // A missing reply reads as an empty one.
    const auto reply = ReplyReader::Of(responsePhrases_, 0, kIncomplete, TAV_CHECK_SITE);
    reply.RequireExactly(Mfp24Phrase::kLength);
    if (!Mfp24Phrase::IsWhole(reply) || !reply.MatchesText(0, "RRZ")) {
        TAV_THROW(ProtocolException, "Invalid response received");
    }
}

std::string GetPartNumberWithMfp24Protocol::GetResult() const {
    // The echo, the characters, the carriage return; without a character there is no text.
    constexpr std::size_t kTextStart = 3;
    const auto reply = ReplyReader::Of(responsePhrases_, 0, kIncomplete, TAV_CHECK_SITE);
    if (reply.Size() < kTextStart + 2) {
        return {};
    }
    const auto characters = reply.Between(kTextStart, 1);
    std::string text(characters.begin(), characters.end());
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

}  // namespace TavProtocol
