#include "serialBinary/SetBaudRateWithSerialBinaryProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

std::vector<uint8_t> SetBaudRateWithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0xFA, 0x0D, 0x81, static_cast<uint8_t>(baudRate_), 0x00};
}

void SetBaudRateWithSerialBinaryProtocol::ValidateResponse() {
    // A missing reply reads as an empty one.
    const auto reply = ReplyReader::Of(responsePhrases_, 0, "SetBaudRate command response is empty", TAV_CHECK_SITE)
                           .RequireAtLeast(1)
                           .All();
    ReplyReader(reply, "Invalid ACK data received from reader after SetBaudRate command", TAV_CHECK_SITE)
        .Expect(0, {0x0D});
    ReplyReader(reply, "Invalid response code received from reader after SetBaudRate command", TAV_CHECK_SITE)
        .Expect(1, {0x90});
    ReplyReader(reply, "SetBaudRate command failed", TAV_CHECK_SITE).Expect(2, {0x00});
}

}  // namespace TavProtocol
