#include "featureReport/SetBeeperVolumeWithFeatureReportProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> SetBeeperVolumeWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x8C, 0x86, static_cast<uint8_t>(volume_)});
}

void SetBeeperVolumeWithFeatureReportProtocol::ValidateResponse() const {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, "No response received");
    }
    ReplyReader(responsePhrases_.front(), "Invalid response received", TAV_CHECK_SITE)
        .RequireExactly(kFeatureReportPhraseLength)
        .Expect(0, {0x8C, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
}

}  // namespace TavProtocol
