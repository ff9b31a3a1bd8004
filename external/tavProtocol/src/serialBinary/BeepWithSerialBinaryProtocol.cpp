#include "serialBinary/BeepWithSerialBinaryProtocol.h"

#include <fmt/format.h>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "serialBinary/SerialBinaryStatusWord.h"

namespace TavProtocol {

std::vector<uint8_t> BeepWithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    const uint8_t beeps = duration_ == BEEP_DURATION::Long ? static_cast<uint8_t>(count_ | 0x80) : count_;
    return {0xFA, 0x0C, 0x03, beeps, 0x00};
}

void BeepWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.empty() || responsePhrases_.front().empty()) {
        TAV_THROW(ProtocolException, "Beep command response was empty.");
    }
    // The reply is a status word alone.
    const ReplyReader reply(responsePhrases_.front(), "Beep command response holds no status word.", TAV_CHECK_SITE);
    const uint8_t sw1 = reply.Byte(0);
    const uint8_t sw2 = reply.Byte(1);
    if (sw1 == 0x90 && sw2 == 0x00) {
        return;
    }
    TAV_THROW(ProtocolException,
              fmt::format("Beep command received error response: {}", SerialBinaryStatusWordName(sw1, sw2)));
}

}  // namespace TavProtocol
