#include "featureReport/MifareWriterChangeKeyWithFeatureReportProtocol.h"

#include <fmt/format.h>

#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

std::vector<uint8_t> MifareWriterChangeKeyWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0x88,
            0x82,
            keyInformation_.CardKeyNumber,
            keyInformation_.Byte1,
            keyInformation_.Byte2,
            keyInformation_.FeatureFlag,
            0x00,
            0x00};
}

void MifareWriterChangeKeyWithFeatureReportProtocol::ValidateResponse() const {
    const auto reply = ReplyReader::Of(responsePhrases_, 0, "Invalid response size", TAV_CHECK_SITE);
    if (reply.Size() == 0) {
        reply.Fail();
    }
    ReplyReader(reply.All(), "Invalid ACK data", TAV_CHECK_SITE).RequireExactly(8).Expect(0, {0x88, 0x82});
    if (const uint8_t code = reply.Byte(2); code != 0) {
        TAV_THROW(ProtocolException, fmt::format("Command failed with error code: {}", code));
    }
}

}  // namespace TavProtocol
