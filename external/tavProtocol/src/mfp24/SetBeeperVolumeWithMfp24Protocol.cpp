#include "mfp24/SetBeeperVolumeWithMfp24Protocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "mfp24/Mfp24Phrase.h"

namespace TavProtocol {

std::vector<uint8_t> SetBeeperVolumeWithMfp24Protocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    const char request[] = {'B', 'V', VolumeDigit()};
    return Mfp24Phrase::Make({request, sizeof request});
}

void SetBeeperVolumeWithMfp24Protocol::ValidateResponse() const {
    // A missing reply reads as an empty one.
    const auto reply =
        ReplyReader::Of(responsePhrases_, 0, "SetBeeperVolume command response was empty.", TAV_CHECK_SITE);
    reply.RequireExactly(Mfp24Phrase::kLength);
    const char echo[] = {'R', 'V', VolumeDigit()};
    if (!Mfp24Phrase::IsWhole(reply) || !reply.MatchesText(0, {echo, sizeof echo})) {
        TAV_THROW(ProtocolException, "Invalid response received");
    }
}

}  // namespace TavProtocol
