#include "featureReport/SetConfigurationBlock2WithFeatureReportProtocol.h"

#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> SetConfigurationBlock2WithFeatureReportProtocol::NextCommandPhrase() {
    const bool first = commandPhrasesProduced_ == 0;
    ++commandPhrasesProduced_;
    return first ? FeatureReportPhrase({0x81}) : block_.ToBytes();
}

}  // namespace TavProtocol
