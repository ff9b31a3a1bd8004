#include "serialBinary/GetCardAnalyzerStatusWithSerialBinaryProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

namespace {

constexpr const char* kInvalidReply = "Invalid response packet received for GetCardAnalyzerStatus command.";

}  // namespace

std::vector<uint8_t> GetCardAnalyzerStatusWithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0xFA, 0x0C, 0x08, 0x00, 0x00};
}

void GetCardAnalyzerStatusWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.empty() || responsePhrases_.front().empty()) {
        TAV_THROW(ProtocolException, "No response has been received.");
    }
    const ReplyReader reply(responsePhrases_.front(), kInvalidReply, TAV_CHECK_SITE);
    reply.RequireExactly(5).Expect(0, {0x0C}).Expect(3, {0x90, 0x00});
}

CardAnalyzerStatus GetCardAnalyzerStatusWithSerialBinaryProtocol::GetResult() {
    return ReplyReader::Of(responsePhrases_, 0, kInvalidReply, TAV_CHECK_SITE).LittleEndian16(1);
}

}  // namespace TavProtocol
