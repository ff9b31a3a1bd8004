#include "featureReport/GetMifareWriterStatusWithFeatureReportProtocol.h"

#include "core/ReplyReader.h"

namespace TavProtocol {

namespace {
constexpr const char* kInvalidAck = "Invalid ACK data received for GetMifareWriterStatus command.";
}

std::vector<uint8_t> GetMifareWriterStatusWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0x88, 0x88, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
}

void GetMifareWriterStatusWithFeatureReportProtocol::ValidateResponse() const {
    const auto reply = ReplyReader::Of(responsePhrases_, 0, "Empty response has been received.", TAV_CHECK_SITE);
    if (reply.Size() == 0) {
        reply.Fail();
    }
    ReplyReader(reply.All(), kInvalidAck, TAV_CHECK_SITE).Expect(0, {0x88, 0x88}).Expect(6, {0x00, 0x00});
}

MifareWriterStatus GetMifareWriterStatusWithFeatureReportProtocol::GetResult() const {
    const auto reply = ReplyReader::Of(responsePhrases_, 0, kInvalidAck, TAV_CHECK_SITE);
    return static_cast<MifareWriterStatus>(reply.Byte(5)) << 24 | static_cast<MifareWriterStatus>(reply.Byte(2)) << 16 |
           static_cast<MifareWriterStatus>(reply.Byte(3)) << 8 | reply.Byte(4);
}

}  // namespace TavProtocol
