#include "mfp24/SetBeeperVolumeWithMfp24Protocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "mfp24/Mfp24Phrase.h"

namespace TavProtocol {

std::vector<uint8_t> SetBeeperVolumeWithMfp24Protocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    const char request[] = {'B', 'V', VolumeDigit()};
    return Mfp24Phrase::Make({request, sizeof request});
}

void SetBeeperVolumeWithMfp24Protocol::ValidateResponse() const {
    if (responsePhrases_.empty() || responsePhrases_.front().size() != Mfp24Phrase::kLength) {
        TAV_THROW(ProtocolException, "SetBeeperVolume command response was empty.");
    }
    const auto& reply = responsePhrases_.front();
    const char echo[] = {'R', 'V', VolumeDigit()};
    if (!Mfp24Phrase::IsWhole(reply) || !Mfp24Phrase::HasText(reply, 0, {echo, sizeof echo})) {
        TAV_THROW(ProtocolException, "Invalid response received");
    }
}

}  // namespace TavProtocol
