#include "mfp24/CopyConfigurationWithMfp24Protocol.h"

#include <stdexcept>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "mfp24/Mfp24Phrase.h"

namespace TavProtocol {

char CopyConfigurationWithMfp24Protocol::CopyLetter() const {
    const auto source = static_cast<uint8_t>(source_);
    const auto destination = static_cast<uint8_t>(destination_);
    if (source == 2 && destination == 0) {
        return 'D';
    }
    if (source == 1 && destination == 0) {
        return 'R';
    }
    if (source == 0 && destination == 1) {
        return 'W';
    }
    throw std::invalid_argument("Invalid source and destination combination");
}

std::vector<uint8_t> CopyConfigurationWithMfp24Protocol::NextCommandPhrase() {
    const char request[] = {'F', CopyLetter()};
    ++commandPhrasesProduced_;
    return Mfp24Phrase::Make({request, sizeof request});
}

void CopyConfigurationWithMfp24Protocol::ValidateResponse() const {
    constexpr const char* kInvalid = "CopyConfiguration Mfp24 command response is invalid.";
    // A missing reply reads as an empty one.
    const auto reply = ReplyReader::Of(responsePhrases_, 0, kInvalid, TAV_CHECK_SITE);
    reply.RequireExactly(Mfp24Phrase::kLength);
    const char echo[] = {'R', CopyLetter(), '0'};
    if (!Mfp24Phrase::IsWhole(reply) || !reply.MatchesText(0, {echo, sizeof echo})) {
        TAV_THROW(ProtocolException, kInvalid);
    }
}

}  // namespace TavProtocol
