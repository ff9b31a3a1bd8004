#include "serialBinary/GetControlFirmwareVersionWithSerialBinaryProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

namespace {

constexpr const char* kInvalidReply = "Invalid response phrase";

}  // namespace

std::vector<uint8_t> GetControlFirmwareVersionWithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0xFA, 0x09, 0x03, 0x00, static_cast<uint8_t>(module_)};
}

void GetControlFirmwareVersionWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException,
                  "Attempted to get result of GetControlFirmwareVersion before all responses were received");
    }
    if (responsePhrases_.front().empty()) {
        TAV_THROW(ProtocolException, "Response phrase is empty");
    }
    ReplyReader(responsePhrases_.front(), kInvalidReply, TAV_CHECK_SITE)
        .Expect(0, {0x09, 0x03})
        .Expect(2, {0x00, static_cast<uint8_t>(module_)})  // the request's class and module, echoed
        .Expect(8, {0x90, 0x00});
}

MicrocontrollerFirmwareVersion GetControlFirmwareVersionWithSerialBinaryProtocol::GetResult() {
    // The reply as received: version in bytes 4-7, then the echoed class and module in 2 and 3.
    const ReplyReader reply = ReplyReader::Of(responsePhrases_, 0, kInvalidReply, TAV_CHECK_SITE);
    return MicrocontrollerFirmwareVersion::FromReplyPhrase(reply.Bytes(0, 8));
}

}  // namespace TavProtocol
