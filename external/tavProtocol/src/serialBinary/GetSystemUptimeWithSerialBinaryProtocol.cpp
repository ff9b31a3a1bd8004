#include "serialBinary/GetSystemUptimeWithSerialBinaryProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

namespace {

constexpr const char* kInvalidReply = "Invalid response phrase";

}  // namespace

std::vector<uint8_t> GetSystemUptimeWithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0xFA, 0x09, 0x06, 0x00, 0x00};
}

void GetSystemUptimeWithSerialBinaryProtocol::ValidateResponse() {
    if (commandPhrasesProduced_ != 1) {
        TAV_THROW(ProtocolException, "Attempted to get result of Get System Uptime before all responses were received");
    }
    if (responsePhrases_.empty() || responsePhrases_.front().empty()) {
        TAV_THROW(ProtocolException, "Response phrase is empty");
    }
    const ReplyReader reply(responsePhrases_.front(), kInvalidReply, TAV_CHECK_SITE);
    reply.Expect(0, {0x09, 0x06}).Expect(6, {0x90, 0x00});
}

uint32_t GetSystemUptimeWithSerialBinaryProtocol::GetResult() {
    return ReplyReader::Of(responsePhrases_, 0, kInvalidReply, TAV_CHECK_SITE).LittleEndian32(2);
}

}  // namespace TavProtocol
