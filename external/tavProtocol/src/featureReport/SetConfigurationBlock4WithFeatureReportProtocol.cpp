#include "featureReport/SetConfigurationBlock4WithFeatureReportProtocol.h"

#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> SetConfigurationBlock4WithFeatureReportProtocol::NextCommandPhrase() {
    const bool first = commandPhrasesProduced_ == 0;
    ++commandPhrasesProduced_;
    return first ? FeatureReportPhrase({0x83}) : block_.ToBytes();
}

}  // namespace TavProtocol
