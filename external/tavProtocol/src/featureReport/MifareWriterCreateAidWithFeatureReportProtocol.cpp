#include "featureReport/MifareWriterCreateAidWithFeatureReportProtocol.h"

#include <fmt/format.h>

#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

std::vector<uint8_t> MifareWriterCreateAidWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    const uint32_t aid = aidInformation_.Aid;
    return {0x88,
            0x81,
            static_cast<uint8_t>(aid >> 16),
            static_cast<uint8_t>(aid >> 8),
            static_cast<uint8_t>(aid),
            aidInformation_.Byte4,
            static_cast<uint8_t>(((aidInformation_.CardKeyNo << 4) & 0xF0) | aidInformation_.OperationType),
            aidInformation_.KeyType};
}

void MifareWriterCreateAidWithFeatureReportProtocol::ValidateResponse() const {
    const auto reply = ReplyReader::Of(
        responsePhrases_, 0, "Empty response has been received for MifareWriterCreateAid command.", TAV_CHECK_SITE);
    if (reply.Size() == 0) {
        reply.Fail();
    }
    // Any length that holds the echo and the error code will do.
    ReplyReader(reply.All(), "Invalid ACK data has been received for MifareWriterCreateAid command.", TAV_CHECK_SITE)
        .RequireAtLeast(3)
        .Expect(0, {0x88, 0x81});
    if (const uint8_t code = reply.Byte(2); code != 0) {
        TAV_THROW(ProtocolException, fmt::format("MifareWriterCreateAid command was failed with error code: {}", code));
    }
}

}  // namespace TavProtocol
