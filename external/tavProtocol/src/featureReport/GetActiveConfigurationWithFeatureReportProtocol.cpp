#include "featureReport/GetActiveConfigurationWithFeatureReportProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

namespace {
constexpr const char* kInvalidReply = "Invalid response packet received for GetActiveConfiguration command.";
}

std::vector<uint8_t> GetActiveConfigurationWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x89, 0x01});
}

void GetActiveConfigurationWithFeatureReportProtocol::ValidateResponse() const {
    if (responsePhrasesAdded_ < 1) {
        TAV_THROW(ProtocolException,
                  "Response validation of ActiveConfigurationInformation cannot occur until the command is finished.");
    }
    if (responsePhrases_.size() != 1 || responsePhrases_.front().size() != kFeatureReportPhraseLength) {
        TAV_THROW(ProtocolException,
                  "Response validation of ActiveConfigurationInformation failed because the command did not receive a "
                  "response from the reader.");
    }
    ReplyReader(responsePhrases_.front(), kInvalidReply, TAV_CHECK_SITE).Expect(0, {0x89, 0x01});
}

ActiveConfigurationInformation GetActiveConfigurationWithFeatureReportProtocol::GetResult() const {
    return Decode(ReplyReader::Of(responsePhrases_, 0, kInvalidReply, TAV_CHECK_SITE));
}

ActiveConfigurationInformation GetActiveConfigurationWithFeatureReportProtocol::Decode(const ReplyReader& reply) {
    ActiveConfigurationInformation information{};
    information.FirstValue = reply.Byte(2);
    information.ConfigurationCount = reply.Byte(3);
    information.WordValue = reply.LittleEndian16(5);
    information.LastValue = reply.Byte(7);
    return information;
}

}  // namespace TavProtocol
