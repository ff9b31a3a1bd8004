#include "serialBinary/GetPartNumberWithSerialBinaryProtocol.h"

#include <fmt/format.h>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "serialBinary/SerialBinaryTextParts.h"

namespace TavProtocol {

std::vector<uint8_t> GetPartNumberWithSerialBinaryProtocol::NextCommandPhrase() {
    const auto part = static_cast<uint8_t>(commandPhrasesProduced_++);
    return {0xFA, 0x0C, 0x01, part, 0x00};
}

void GetPartNumberWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.size() != kParts) {
        TAV_THROW(ProtocolException, "Attempted to get result of GetPartNumber before all responses were received");
    }
    CheckTextPartsAcknowledged(responsePhrases_, 0x0C,
                               "Invalid ACK data received from reader after GetPartNumber command", TAV_CHECK_SITE);
}

std::string GetPartNumberWithSerialBinaryProtocol::GetResult() {
    for (const auto& reply : responsePhrases_) {
        if (reply.size() > 9) {
            ReplyReader(reply,
                        fmt::format("Expected 1-byte ACK and an 8 byte part number in response phrase but received {} "
                                    "bytes",
                                    reply.size()),
                        TAV_CHECK_SITE)
                .Fail();
        }
    }
    return JoinTextParts(responsePhrases_, TAV_CHECK_SITE);
}

}  // namespace TavProtocol
