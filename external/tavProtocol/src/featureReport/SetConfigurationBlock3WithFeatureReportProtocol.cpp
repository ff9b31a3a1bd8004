#include "featureReport/SetConfigurationBlock3WithFeatureReportProtocol.h"

#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> SetConfigurationBlock3WithFeatureReportProtocol::NextCommandPhrase() {
    const bool first = commandPhrasesProduced_ == 0;
    ++commandPhrasesProduced_;
    return first ? FeatureReportPhrase({0x82}) : block_.ToBytes();
}

}  // namespace TavProtocol
