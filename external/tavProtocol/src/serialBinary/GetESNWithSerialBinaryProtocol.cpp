#include "serialBinary/GetESNWithSerialBinaryProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "serialBinary/SerialBinaryTextParts.h"

namespace TavProtocol {

std::vector<uint8_t> GetESNWithSerialBinaryProtocol::NextCommandPhrase() {
    const auto part = static_cast<uint8_t>(commandPhrasesProduced_++);
    return {0xFA, 0x08, part, 0x00, 0x00};
}

void GetESNWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.size() != kParts) {
        TAV_THROW(ProtocolException, "Attempted to get result of GetESN before all responses were received");
    }
    CheckTextPartsAcknowledged(responsePhrases_, 0x08, "Invalid ACK data received from reader after GetESN command",
                               TAV_CHECK_SITE);
}

std::string GetESNWithSerialBinaryProtocol::GetResult() { return JoinTextParts(responsePhrases_, TAV_CHECK_SITE); }

}  // namespace TavProtocol
