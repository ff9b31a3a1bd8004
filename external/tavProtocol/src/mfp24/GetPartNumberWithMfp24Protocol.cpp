#include "mfp24/GetPartNumberWithMfp24Protocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "mfp24/Mfp24Phrase.h"

namespace TavProtocol {

std::vector<uint8_t> GetPartNumberWithMfp24Protocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return Mfp24Phrase::Make("QRZ01");
}

void GetPartNumberWithMfp24Protocol::ValidateResponse() const {
    if (responsePhrases_.empty() || responsePhrases_.front().size() != Mfp24Phrase::kLength) {
        TAV_THROW(ProtocolException, "ValidateResponse called before all response phrases were added");
    }
    const auto& reply = responsePhrases_.front();
    if (!Mfp24Phrase::IsWhole(reply) || !Mfp24Phrase::HasText(reply, 0, "RRZ")) {
        TAV_THROW(ProtocolException, "Invalid response received");
    }
}

std::string GetPartNumberWithMfp24Protocol::GetResult() const {
    constexpr std::size_t kTextStart = 3;
    if (responsePhrases_.empty() || responsePhrases_.front().size() < kTextStart + 2) {
        return {};
    }
    const auto& reply = responsePhrases_.front();
    std::string text(reply.begin() + kTextStart, reply.end() - 1);
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

}  // namespace TavProtocol
