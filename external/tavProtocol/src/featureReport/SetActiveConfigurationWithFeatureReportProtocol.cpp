#include "featureReport/SetActiveConfigurationWithFeatureReportProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"
#include "featureReport/GetActiveConfigurationWithFeatureReportProtocol.h"

namespace TavProtocol {

namespace {
constexpr const char* kInvalidReply = "Invalid response packet received for SetActiveConfiguration command.";
}

std::vector<uint8_t> SetActiveConfigurationWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x89, 0x81, configuration_});
}

void SetActiveConfigurationWithFeatureReportProtocol::ValidateResponse() const {
    if (responsePhrasesAdded_ < 1) {
        TAV_THROW(ProtocolException,
                  "Result parsing of ActiveConfigurationInformation cannot occur until the command is finished.");
    }
    if (responsePhrases_.size() != 1 || responsePhrases_.front().size() != kFeatureReportPhraseLength) {
        TAV_THROW(ProtocolException,
                  "Result parsing of ActiveConfigurationInformation failed because the command did not receive a "
                  "response from the reader.");
    }
    ReplyReader(responsePhrases_.front(), kInvalidReply, TAV_CHECK_SITE).Expect(0, {0x89, 0x81});
}

ActiveConfigurationInformation SetActiveConfigurationWithFeatureReportProtocol::ParseResult() const {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException,
                  "Result parsing of ActiveConfigurationInformation cannot occur because no response was received.");
    }
    return GetActiveConfigurationWithFeatureReportProtocol::Decode(
        ReplyReader(responsePhrases_.front(), kInvalidReply, TAV_CHECK_SITE));
}

}  // namespace TavProtocol
