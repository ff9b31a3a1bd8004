#include "serialBinary/GetESNWithSerialBinaryProtocol.h"

#include <fmt/format.h>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"

namespace TavProtocol {

std::vector<uint8_t> GetESNWithSerialBinaryProtocol::NextCommandPhrase() {
    const auto part = static_cast<uint8_t>(commandPhrasesProduced_++);
    return {0xFA, 0x08, part, 0x00, 0x00};
}

void GetESNWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.size() != kParts) {
        TAV_THROW(ProtocolException, "Attempted to get result of GetESN before all responses were received");
    }
    for (size_t i = 0; i < responsePhrases_.size(); ++i) {
        if (responsePhrases_[i].empty()) {
            TAV_THROW(ProtocolException, fmt::format("Response phrase at index {} is empty", i));
        }
        if (responsePhrases_[i][0] != 0x08) {
            TAV_THROW(ProtocolException, "Invalid ACK data received from reader after GetESN command");
        }
    }
}

std::string GetESNWithSerialBinaryProtocol::GetResult() {
    std::string esn;
    for (const auto& reply : responsePhrases_) {
        for (size_t i = 1; i < reply.size(); ++i) {
            if (reply[i] != 0x00) {
                esn.push_back(static_cast<char>(reply[i]));
            }
        }
    }
    return esn;
}

}  // namespace TavProtocol
