#include "mfp24/BeepWithMfp24Protocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "mfp24/Mfp24Phrase.h"

namespace TavProtocol {

std::vector<uint8_t> BeepWithMfp24Protocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    const char request[] = {'B', DurationLetter(), static_cast<char>('0' + count_)};
    return Mfp24Phrase::Make({request, sizeof request});
}

void BeepWithMfp24Protocol::ValidateResponse() const {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, "Response validation of Beep command cannot occur until the command is finished.");
    }
    const ReplyReader reply(responsePhrases_.front(), "Empty response from reader beep command.", TAV_CHECK_SITE);
    reply.RequireAtLeast(1);
    const char echo[] = {'R', DurationLetter()};
    if (!Mfp24Phrase::IsWhole(reply) || !reply.MatchesText(0, {echo, sizeof echo})) {
        TAV_THROW(ProtocolException, "Invalid response from reader beep command.");
    }
}

}  // namespace TavProtocol
