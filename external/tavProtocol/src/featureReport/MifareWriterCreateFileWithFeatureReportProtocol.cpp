#include "featureReport/MifareWriterCreateFileWithFeatureReportProtocol.h"

#include <fmt/format.h>

#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

std::vector<uint8_t> MifareWriterCreateFileWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0x88,
            0x83,
            fileInformation_.Byte0,
            fileInformation_.FileLength,
            fileInformation_.WriteKey,
            fileInformation_.Byte3,
            fileInformation_.EncryptionMode,
            fileInformation_.FeatureFlag};
}

void MifareWriterCreateFileWithFeatureReportProtocol::ValidateResponse() const {
    const auto reply = ReplyReader::Of(responsePhrases_, 0, "Invalid response size", TAV_CHECK_SITE);
    if (reply.Size() == 0) {
        reply.Fail();
    }
    ReplyReader(reply.All(), "Invalid ACK data", TAV_CHECK_SITE).RequireExactly(8).Expect(0, {0x88, 0x83});
    if (const uint8_t code = reply.Byte(2); code != 0) {
        TAV_THROW(ProtocolException, fmt::format("Command was failed with error code: {}", code));
    }
}

}  // namespace TavProtocol
