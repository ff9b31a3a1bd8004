#include "featureReport/GetRadioFirmwareVersionWithFeatureReportProtocol.h"

#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> GetRadioFirmwareVersionWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x89, 0x03, 0x01, static_cast<uint8_t>(moduleType_)});
}

MicrocontrollerFirmwareVersion GetRadioFirmwareVersionWithFeatureReportProtocol::GetResult() const {
    const auto reply =
        ReplyReader::Of(responsePhrases_, 0, "No valid response has been received for GetRadioFirmwareVersion command.",
                        TAV_CHECK_SITE)
            .RequireAtLeast(kFeatureReportPhraseLength);
    return MicrocontrollerFirmwareVersion::FromReplyPhrase(reply.All());
}

}  // namespace TavProtocol
