#include "featureReport/GetBeeperVolumeWithFeatureReportProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> GetBeeperVolumeWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x8C, 0x06});
}

BeepVolume GetBeeperVolumeWithFeatureReportProtocol::GetResult() const {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, "No response has been received. Did you execute the command?");
    }
    const ReplyReader reply(responsePhrases_.front(), "Invalid response received for GetBeeperVolume command.",
                            TAV_CHECK_SITE);
    return static_cast<BeepVolume>(reply.Byte(2));
}

}  // namespace TavProtocol
