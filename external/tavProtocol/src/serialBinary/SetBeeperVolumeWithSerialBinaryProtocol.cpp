#include "serialBinary/SetBeeperVolumeWithSerialBinaryProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

std::vector<uint8_t> SetBeeperVolumeWithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0xFA, 0x0C, 0x86, static_cast<uint8_t>(volume_), 0x00, 0x00};
}

void SetBeeperVolumeWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.empty() || responsePhrases_.front().empty()) {
        TAV_THROW(ProtocolException, "SetBeeperVolume command response was empty.");
    }
    ReplyReader(responsePhrases_.front(), "Invalid response received", TAV_CHECK_SITE).Expect(0, {0x0C, 0x90, 0x00});
}

}  // namespace TavProtocol
