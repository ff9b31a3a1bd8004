#include "featureReport/GetBluetoothFirmwareVersionWithFeatureReportProtocol.h"

#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> GetBluetoothFirmwareVersionWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x89, 0x03, 0x02, static_cast<uint8_t>(moduleType_)});
}

BluetoothFirmwareVersion GetBluetoothFirmwareVersionWithFeatureReportProtocol::GetResult() const {
    const auto reply =
        ReplyReader::Of(responsePhrases_, 0,
                        "No valid response has been received for GetBluetoothFirmwareVersion command.", TAV_CHECK_SITE)
            .RequireAtLeast(kFeatureReportPhraseLength);
    return BluetoothFirmwareVersion::FromFeatureReportReplyPhrase(reply.All());
}

}  // namespace TavProtocol
