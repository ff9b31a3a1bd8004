#include "WriteConfigurationWithSerialBinaryProtocol.h"

#include "ProtocolException.h"
#include "common/SourceLocation.h"

namespace TavProtocol {

std::vector<uint8_t> WriteConfigurationWithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0xFA, 0x02, writeLuidToFlash_ == 1 ? uint8_t{0x80} : uint8_t{0x00}, 0x00, 0x00};
}

void WriteConfigurationWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.empty() || responsePhrases_.front().empty()) {
        TAV_THROW(ProtocolException, "Empty response has been received from reader after WriteConfiguration command");
    }
    if (responsePhrases_.front() != std::vector<uint8_t>{0x90, 0x00}) {
        TAV_THROW(ProtocolException, "Invalid response has been received from reader after WriteConfiguration command");
    }
}

}  // namespace TavProtocol
