#include "featureReport/GetLuidWithFeatureReportProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> GetLuidWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x8A});
}

void GetLuidWithFeatureReportProtocol::ValidateResponse() const {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, "No response received from device. Was this command actually executed?");
    }
}

LuidResponseInformation GetLuidWithFeatureReportProtocol::GetResult() const {
    if (commandPhrasesProduced_ < 1 || responsePhrasesAdded_ < 1) {
        TAV_THROW(ProtocolException,
                  "Command is not finished. Please complete the command before retrieving the result.");
    }
    const auto reply =
        ReplyReader::Of(responsePhrases_, 0, "Invalid response received for GetLuid command.", TAV_CHECK_SITE);
    return LuidResponseInformation{reply.LittleEndian32(0), reply.BigEndian32(4)};
}

}  // namespace TavProtocol
