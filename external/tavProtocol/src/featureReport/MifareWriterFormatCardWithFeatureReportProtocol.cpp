#include "featureReport/MifareWriterFormatCardWithFeatureReportProtocol.h"

#include <fmt/format.h>

#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

std::vector<uint8_t> MifareWriterFormatCardWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0x88, 0x87, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
}

void MifareWriterFormatCardWithFeatureReportProtocol::ValidateResponse() const {
    const auto reply = ReplyReader::Of(
        responsePhrases_, 0, "Empty response has been received for MifareWriterFormatCard command.", TAV_CHECK_SITE);
    if (reply.Size() == 0) {
        reply.Fail();
    }
    ReplyReader(reply.All(), "Invalid ACK data has been received for MifareWriterFormatCard command.", TAV_CHECK_SITE)
        .RequireExactly(8)
        .Expect(0, {0x88, 0x87});
    if (const uint8_t code = reply.Byte(2); code != 0) {
        TAV_THROW(ProtocolException,
                  fmt::format("MifareWriterFormatCard command was failed with error code: {}", code));
    }
}

}  // namespace TavProtocol
