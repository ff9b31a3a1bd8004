#include "serialBinary/LoadStoredDefaultsWithSerialBinaryProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

std::vector<uint8_t> LoadStoredDefaultsWithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0xFA, 0x03, 0x00, 0x00, 0x00};
}

void LoadStoredDefaultsWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrasesAdded_ != 1) {
        TAV_THROW(ProtocolException, "LoadStoredDefaults did not get response data to validate response.");
    }
    if (responsePhrases_.empty() || responsePhrases_.front().empty()) {
        TAV_THROW(ProtocolException, "LoadStoredDefaults command response was empty.");
    }
    ReplyReader(responsePhrases_.front(), "Invalid ACK data received from reader after LoadStoredDefaults command",
                TAV_CHECK_SITE)
        .Expect(0, {0x90, 0x00});
}

}  // namespace TavProtocol
