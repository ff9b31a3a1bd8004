#include "serialBinary/SetCardAnalyzerControlWithSerialBinaryProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

std::vector<uint8_t> SetCardAnalyzerControlWithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0xFA, 0x0C, 0x88, static_cast<uint8_t>(control_), 0x00};
}

void SetCardAnalyzerControlWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.empty() || responsePhrases_.front().empty()) {
        TAV_THROW(ProtocolException,
                  "Empty response has been received from reader after SetCardAnalyzerControl command");
    }
    ReplyReader(responsePhrases_.front(),
                "Invalid ACK data has been received from reader after SetCardAnalyzerControl command", TAV_CHECK_SITE)
        .Expect(0, {0x0C, 0x90, 0x00});
}

}  // namespace TavProtocol
