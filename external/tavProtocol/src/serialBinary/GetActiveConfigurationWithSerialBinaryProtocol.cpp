#include "serialBinary/GetActiveConfigurationWithSerialBinaryProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

namespace {

constexpr const char* kTooShort = "Response too short for GetActiveConfiguration command.";

}  // namespace

std::vector<uint8_t> GetActiveConfigurationWithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0xFA, 0x09, 0x01, 0x00, 0x00};
}

void GetActiveConfigurationWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, "No response received for GetActiveConfiguration command.");
    }
    ReplyReader(responsePhrases_.front(), kTooShort, TAV_CHECK_SITE).RequireAtLeast(9);
    ReplyReader(responsePhrases_.front(), "Invalid ACK data received from reader after GetActiveConfiguration command.",
                TAV_CHECK_SITE)
        .Expect(0, {0x09, 0x01});
}

ActiveConfigurationInformation GetActiveConfigurationWithSerialBinaryProtocol::GetResult() {
    const ReplyReader reply = ReplyReader::Of(responsePhrases_, 0, kTooShort, TAV_CHECK_SITE);
    ActiveConfigurationInformation information{};
    information.FirstValue = reply.Byte(2);
    information.ConfigurationCount = reply.Byte(3);
    // Sent high byte first, unlike the feature-report reply.
    information.WordValue = reply.BigEndian16(5);
    information.LastValue = reply.Byte(7);
    return information;
}

}  // namespace TavProtocol
