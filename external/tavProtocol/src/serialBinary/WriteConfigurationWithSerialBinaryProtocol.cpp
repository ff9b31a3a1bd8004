#include "serialBinary/WriteConfigurationWithSerialBinaryProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

std::vector<uint8_t> WriteConfigurationWithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0xFA, 0x02, writeLuidToFlash_ == 1 ? uint8_t{0x80} : uint8_t{0x00}, 0x00, 0x00};
}

void WriteConfigurationWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.empty() || responsePhrases_.front().empty()) {
        TAV_THROW(ProtocolException, "Empty response has been received from reader after WriteConfiguration command");
    }
    ReplyReader(responsePhrases_.front(),
                "Invalid response has been received from reader after WriteConfiguration command", TAV_CHECK_SITE)
        .RequireExactly(2)
        .Expect(0, {0x90, 0x00});
}

}  // namespace TavProtocol
