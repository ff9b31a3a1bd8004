#include "featureReport/ConfigureModuleStateWithFeatureReportProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

namespace {
constexpr const char* kTooShort = "Response packet is too short";
}

std::vector<uint8_t> ConfigureModuleStateWithFeatureReportProtocol::NextCommandPhrase() {
    // Only a set carries the state; a read sends 0 in its place.
    const uint8_t state = action_ == ReaderModuleAction::Set ? static_cast<uint8_t>(state_) : 0;
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x8C, 0x0B, static_cast<uint8_t>(action_), static_cast<uint8_t>(module_), state});
}

void ConfigureModuleStateWithFeatureReportProtocol::ValidateResponse() const {
    if (responsePhrases_.empty() || responsePhrases_.front().empty()) {
        TAV_THROW(ProtocolException, "No response has been received");
    }
    ReplyReader(responsePhrases_.front(), kTooShort, TAV_CHECK_SITE).RequireAtLeast(kFeatureReportPhraseLength);
    ReplyReader(responsePhrases_.front(),
                "Invalid response packet received from reader after ConfigureModuleState command. (Does the reader "
                "support this command?)",
                TAV_CHECK_SITE)
        .Expect(0, {0x8C, 0x0B, 0xFF, static_cast<uint8_t>(module_)});
}

ReaderModuleState ConfigureModuleStateWithFeatureReportProtocol::GetResult() const {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, "No response has been received");
    }
    return static_cast<ReaderModuleState>(ReplyReader(responsePhrases_.front(), kTooShort, TAV_CHECK_SITE).Byte(4));
}

}  // namespace TavProtocol
