#include "WriteConfigurationWithFeatureReportProtocol.h"

#include "FeatureReportPhrase.h"

namespace TavProtocol {

std::vector<uint8_t> WriteConfigurationWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x90});
}

}  // namespace TavProtocol
