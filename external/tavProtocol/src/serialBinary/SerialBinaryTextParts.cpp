#include "serialBinary/SerialBinaryTextParts.h"

#include <fmt/format.h>

#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

void CheckTextPartsAcknowledged(const std::vector<std::vector<uint8_t>>& replies, uint8_t acknowledgement,
                                const char* invalidAcknowledgement, CheckSite site) {
    for (std::size_t i = 0; i < replies.size(); ++i) {
        const ReplyReader part(replies[i], invalidAcknowledgement, site);
        if (part.Size() == 0) {
            throw ProtocolException(fmt::format("Response phrase at index {} is empty", i), site.file, site.line,
                                    site.function);
        }
        part.Expect(0, {acknowledgement});
    }
}

std::string JoinTextParts(const std::vector<std::vector<uint8_t>>& replies, CheckSite site) {
    std::string text;
    for (const auto& reply : replies) {
        const ReplyReader part(reply, "Response phrase is empty", site);
        if (part.Size() == 0) {
            continue;
        }
        for (const uint8_t character : part.BytesFrom(1)) {
            if (character != 0x00) {
                text.push_back(static_cast<char>(character));
            }
        }
    }
    return text;
}

}  // namespace TavProtocol
