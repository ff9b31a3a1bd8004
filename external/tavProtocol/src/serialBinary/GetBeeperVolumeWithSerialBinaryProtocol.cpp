#include "serialBinary/GetBeeperVolumeWithSerialBinaryProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

namespace {

constexpr const char* kInvalidReply = "Invalid response phrase";

}  // namespace

std::vector<uint8_t> GetBeeperVolumeWithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0xFA, 0x0C, 0x06, 0x00, 0x00};
}

void GetBeeperVolumeWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, "Attempted to get result of GetBeeperVolume before all responses were received");
    }
    if (responsePhrases_.front().empty()) {
        TAV_THROW(ProtocolException, "Response phrase is empty");
    }
    // The acknowledgement, then the volume: a reply without the volume is no answer either.
    ReplyReader(responsePhrases_.front(), kInvalidReply, TAV_CHECK_SITE).RequireAtLeast(2).Expect(0, {0x0C});
}

BeepVolume GetBeeperVolumeWithSerialBinaryProtocol::GetResult() {
    return static_cast<BeepVolume>(ReplyReader::Of(responsePhrases_, 0, kInvalidReply, TAV_CHECK_SITE).Byte(1));
}

}  // namespace TavProtocol
