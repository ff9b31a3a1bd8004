#include "featureReport/BeepWithFeatureReportProtocol.h"

#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> BeepWithFeatureReportProtocol::NextCommandPhrase() {
    // Bit 7 of the count byte asks for long beeps.
    if (longBeeps_ == 1) {
        beepCount_ |= 0x80;
    }
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x8C, 0x03, static_cast<uint8_t>(beepCount_)});
}

}  // namespace TavProtocol
