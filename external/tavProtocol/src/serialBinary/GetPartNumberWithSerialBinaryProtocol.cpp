#include "serialBinary/GetPartNumberWithSerialBinaryProtocol.h"

#include <fmt/format.h>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"

namespace TavProtocol {

std::vector<uint8_t> GetPartNumberWithSerialBinaryProtocol::NextCommandPhrase() {
    const auto part = static_cast<uint8_t>(commandPhrasesProduced_++);
    return {0xFA, 0x0C, 0x01, part, 0x00};
}

void GetPartNumberWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.size() != kParts) {
        TAV_THROW(ProtocolException, "Attempted to get result of GetPartNumber before all responses were received");
    }
    for (size_t i = 0; i < responsePhrases_.size(); ++i) {
        if (responsePhrases_[i].empty()) {
            TAV_THROW(ProtocolException, fmt::format("Response phrase at index {} is empty", i));
        }
        if (responsePhrases_[i][0] != 0x0C) {
            TAV_THROW(ProtocolException, "Invalid ACK data received from reader after GetPartNumber command");
        }
    }
}

std::string GetPartNumberWithSerialBinaryProtocol::GetResult() {
    for (const auto& reply : responsePhrases_) {
        if (reply.size() > 9) {
            TAV_THROW(ProtocolException,
                      fmt::format("Expected 1-byte ACK and an 8 byte part number in response phrase but received {} "
                                  "bytes",
                                  reply.size()));
        }
    }
    std::string partNumber;
    for (const auto& reply : responsePhrases_) {
        for (size_t i = 1; i < reply.size(); ++i) {
            if (reply[i] != 0x00) {
                partNumber.push_back(static_cast<char>(reply[i]));
            }
        }
    }
    return partNumber;
}

}  // namespace TavProtocol
