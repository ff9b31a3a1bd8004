#include "featureReport/SetLuidWithFeatureReportProtocol.h"

#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> SetLuidWithFeatureReportProtocol::NextCommandPhrase() {
    const bool first = commandPhrasesProduced_ == 0;
    ++commandPhrasesProduced_;
    if (first) {
        return FeatureReportPhrase({0x8A});
    }
    return FeatureReportPhrase({0x00, static_cast<uint8_t>(luid_ & 0xFF), static_cast<uint8_t>(luid_ >> 8)});
}

}  // namespace TavProtocol
