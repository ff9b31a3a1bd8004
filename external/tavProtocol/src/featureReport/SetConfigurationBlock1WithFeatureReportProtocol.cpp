#include "featureReport/SetConfigurationBlock1WithFeatureReportProtocol.h"

#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> SetConfigurationBlock1WithFeatureReportProtocol::NextCommandPhrase() {
    const bool first = commandPhrasesProduced_ == 0;
    ++commandPhrasesProduced_;
    return first ? FeatureReportPhrase({0x80}) : block_.ToBytes();
}

}  // namespace TavProtocol
