#include "LoadStoredDefaultsWithFeatureReportProtocol.h"

#include "FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> LoadStoredDefaultsWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0xA0});
}

}  // namespace TavProtocol
