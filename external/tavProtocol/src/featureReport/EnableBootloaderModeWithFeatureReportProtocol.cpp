#include "featureReport/EnableBootloaderModeWithFeatureReportProtocol.h"

#include <utility>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

namespace {
constexpr int kBootloaderStartSeconds = 3;
}

EnableBootloaderModeWithFeatureReportProtocol::EnableBootloaderModeWithFeatureReportProtocol(
    BootloaderModule module, std::unique_ptr<TavCommon::TimeDelay> delay)
    : module_(module), delay_(delay ? std::move(delay) : std::make_unique<TavCommon::TimeDelay>()) {}

std::vector<uint8_t> EnableBootloaderModeWithFeatureReportProtocol::NextCommandPhrase() {
    if (commandPhrasesProduced_ >= 1) {
        return {};
    }
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0xF0, static_cast<uint8_t>(module_)});
}

bool EnableBootloaderModeWithFeatureReportProtocol::ExpectsResponsePhrase() {
    delay_->DelaySeconds(kBootloaderStartSeconds);
    return responsePhrasesAdded_ < 1;
}

uint8_t EnableBootloaderModeWithFeatureReportProtocol::ParseResult() const {
    if (responsePhrases_.size() != 1 || responsePhrases_.front().size() != kFeatureReportPhraseLength) {
        TAV_THROW(ProtocolException,
                  "Result parsing of EnableBootloaderMode failed because the command did not receive a response "
                  "from the reader.");
    }
    const ReplyReader reply(responsePhrases_.front(),
                            "Invalid response packet received for EnableBootloaderMode command.", TAV_CHECK_SITE);
    // 0x01, the status character '.', the reported byte, then zeros.
    reply.Expect(0, {0x01, 0x2E}).Expect(3, {0x00, 0x00, 0x00, 0x00, 0x00});
    return reply.Byte(2);
}

}  // namespace TavProtocol
