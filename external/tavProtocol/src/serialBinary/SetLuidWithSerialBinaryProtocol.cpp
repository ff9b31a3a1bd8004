#include "serialBinary/SetLuidWithSerialBinaryProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "core/UnreadableReplyException.h"

namespace TavProtocol {

namespace {
constexpr const char* kEmpty = "Empty response has been received from reader after SetLuid command";
}

bool SetLuidWithSerialBinaryProtocol::HasCommandPhrase() {
    if (commandPhrasesProduced_ == 0) {
        return true;
    }
    // The data go out only to a reader that took the header.
    return commandPhrasesProduced_ == 1 && !responsePhrases_.empty() &&
           ReplyReader(responsePhrases_.front(), kEmpty, TAV_CHECK_SITE).Matches(0, {kHeaderAck});
}

std::vector<uint8_t> SetLuidWithSerialBinaryProtocol::NextCommandPhrase() {
    if (commandPhrasesProduced_++ == 0) {
        return {0xFA, 0x06, 0x00, 0x00, 0x02};
    }
    return {static_cast<uint8_t>(luid_ & 0xFF), static_cast<uint8_t>(luid_ >> 8)};
}

void SetLuidWithSerialBinaryProtocol::ValidateResponse() {
    constexpr const char* kIncomplete = "Attempted to get result of SetLuid before all responses were received";
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, kIncomplete);
    }
    const ReplyReader header(responsePhrases_.front(), kEmpty, TAV_CHECK_SITE);
    header.RequireAtLeast(1);
    if (header.Matches(0, {kHeaderAck})) {
        if (responsePhrasesAdded_ != 2 || responsePhrases_.size() < 2) {
            TAV_THROW(ProtocolException, kIncomplete);
        }
        ReplyReader(responsePhrases_[1], kEmpty, TAV_CHECK_SITE).RequireAtLeast(1);
        ReplyReader(responsePhrases_[1], "Invalid response received from reader after sending LUID data",
                    TAV_CHECK_SITE)
            .Expect(0, {0x90, 0x00});
        return;
    }
    if (header.Matches(0, {0x6B})) {
        TAV_THROW(ProtocolException,
                  "Reader reports a timeout error (no followup within 100ms => 0x6B) after sending SetLuid command");
    }
    TAV_THROW(UnreadableReplyException, "Invalid ACK received from reader after SetLuid command");
}

}  // namespace TavProtocol
