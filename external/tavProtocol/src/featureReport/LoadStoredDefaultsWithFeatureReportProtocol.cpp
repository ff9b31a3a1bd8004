#include "featureReport/LoadStoredDefaultsWithFeatureReportProtocol.h"

#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> LoadStoredDefaultsWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0xA0});
}

}  // namespace TavProtocol
