#include "serialBinary/GetLuidWithSerialBinaryProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

namespace {

constexpr const char* kInvalidReply = "Invalid ACK data received from reader after GetLuid command";

}  // namespace

std::vector<uint8_t> GetLuidWithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0xFA, 0x05, 0x00, 0x00, 0x08};
}

void GetLuidWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrasesAdded_ != 1) {
        TAV_THROW(ProtocolException, "Attempted to get result of GetLuid before all responses were received.");
    }
    if (responsePhrases_.empty() || responsePhrases_.front().empty()) {
        TAV_THROW(ProtocolException, "Empty response has been received after GetLuid command.");
    }
    ReplyReader(responsePhrases_.front(), kInvalidReply, TAV_CHECK_SITE)
        .RequireExactly(11)
        .Expect(0, {0x05})
        .Expect(9, {0x90, 0x00});
}

LuidResponseInformation GetLuidWithSerialBinaryProtocol::GetResult() {
    const ReplyReader reply = ReplyReader::Of(responsePhrases_, 0, kInvalidReply, TAV_CHECK_SITE);
    return LuidResponseInformation{reply.LittleEndian32(1), reply.BigEndian32(5)};
}

}  // namespace TavProtocol
