#include "featureReport/SetConfigurationBlock5WithFeatureReportProtocol.h"

#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> SetConfigurationBlock5WithFeatureReportProtocol::NextCommandPhrase() {
    const bool first = commandPhrasesProduced_ == 0;
    ++commandPhrasesProduced_;
    return first ? FeatureReportPhrase({0x84}) : block_.ToBytes();
}

}  // namespace TavProtocol
