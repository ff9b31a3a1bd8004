#include "featureReport/GetSamFirmwareVersionWithFeatureReportProtocol.h"

#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> GetSamFirmwareVersionWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x89, 0x03, 0x04, samSelector_});
}

std::span<const uint8_t> GetSamFirmwareVersionWithFeatureReportProtocol::Reply(CheckSite site) const {
    return ReplyReader::Of(responsePhrases_, 0,
                           "No valid response has been received for GetSamFirmwareVersion command.", site)
        .RequireAtLeast(kFeatureReportPhraseLength)
        .All();
}

FelicaSamFirmwareVersion GetSamFirmwareVersionWithFeatureReportProtocol::GetFelicaSamFirmwareVersion() const {
    return FelicaSamFirmwareVersion::FromReplyPhrase(Reply(TAV_CHECK_SITE));
}

NxpSamFirmwareVersion GetSamFirmwareVersionWithFeatureReportProtocol::GetNxpSamFirmwareVersion() const {
    return NxpSamFirmwareVersion::FromReplyPhrase(Reply(TAV_CHECK_SITE));
}

HidSeSamFirmwareVersion GetSamFirmwareVersionWithFeatureReportProtocol::GetHidSeSamFirmwareVersion() const {
    return HidSeSamFirmwareVersion::FromReplyPhrase(Reply(TAV_CHECK_SITE));
}

}  // namespace TavProtocol
