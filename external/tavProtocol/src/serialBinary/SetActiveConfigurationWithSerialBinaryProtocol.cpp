#include "serialBinary/SetActiveConfigurationWithSerialBinaryProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

std::vector<uint8_t> SetActiveConfigurationWithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0xFA, 0x09, 0x81, configuration_, 0x00};
}

void SetActiveConfigurationWithSerialBinaryProtocol::ValidateResponse() {
    if (commandPhrasesProduced_ != 1) {
        TAV_THROW(ProtocolException,
                  "Attempted to get result of SetActiveConfiguration before all responses were received");
    }
    if (responsePhrases_.empty() || responsePhrases_.front().empty()) {
        TAV_THROW(ProtocolException, "SetActiveConfiguration command response was empty.");
    }
    ReplyReader(responsePhrases_.front(), "Invalid ACK data received from reader after SetActiveConfiguration command",
                TAV_CHECK_SITE)
        .Expect(0, {0x09, 0x81})
        .Expect(8, {0x90, 0x00});
}

}  // namespace TavProtocol
