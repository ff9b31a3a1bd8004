#include "serialBinary/GetBaudRateWithSerialBinaryProtocol.h"

#include <fmt/format.h>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

namespace {

constexpr const char* kNoCode = "GetBaudRate command response holds no baud rate";

}  // namespace

std::vector<uint8_t> GetBaudRateWithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0xFA, 0x0D, 0x01, 0x00, 0x00};
}

void GetBaudRateWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.empty() || responsePhrases_.front().empty()) {
        TAV_THROW(ProtocolException, "GetBaudRate command response is empty");
    }
    ReplyReader(responsePhrases_.front(), "GetBaudRate command ACK is invalid", TAV_CHECK_SITE).Expect(0, {0x0D});
    const ReplyReader reply(responsePhrases_.front(), kNoCode, TAV_CHECK_SITE);
    if (const uint8_t code = reply.Byte(1); code >= 5) {
        TAV_THROW(ProtocolException,
                  fmt::format("GetBaudRate command response contains an invalid baud rate 0x{:X}", code));
    }
}

SerialReaderBaudRate GetBaudRateWithSerialBinaryProtocol::GetResult() {
    const uint8_t code = ReplyReader::Of(responsePhrases_, 0, kNoCode, TAV_CHECK_SITE).Byte(1);
    return static_cast<SerialReaderBaudRate>(code <= 3 ? code : 4);
}

}  // namespace TavProtocol
