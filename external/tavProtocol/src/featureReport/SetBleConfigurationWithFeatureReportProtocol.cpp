#include "featureReport/SetBleConfigurationWithFeatureReportProtocol.h"

#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

namespace {
// Bits 5 and 6 of the settings byte belong to the reader.
constexpr uint8_t kWritableFlags = 0x9F;
}  // namespace

std::vector<uint8_t> SetBleConfigurationWithFeatureReportProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0x8C,
            0x87,
            static_cast<uint8_t>(flags_ & kWritableFlags),
            static_cast<uint8_t>(tapInRssi_),
            static_cast<uint8_t>(txPower_),
            0x00,
            0x00,
            0x00};
}

void SetBleConfigurationWithFeatureReportProtocol::AddResponsePhrase(const std::vector<uint8_t>& response) {
    ReplyReader(response, "Invalid response phrase size for SetBleConfiguration command", TAV_CHECK_SITE)
        .RequireExactly(8);
    responsePhrases_.push_back(response);
    ++responsePhrasesAdded_;
}

void SetBleConfigurationWithFeatureReportProtocol::ValidateResponse() const {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, "No response received");
    }
    // Byte 2 is the reader's own; the rest of the reply is a fixed acknowledgement.
    ReplyReader(responsePhrases_.front(), "Invalid response received", TAV_CHECK_SITE)
        .Expect(0, {0x8C, 0x87})
        .Expect(3, {0x00, 0x00, 0x00, 0x00, 0x00});
}

}  // namespace TavProtocol
