#include "serialBinary/CopyConfigurationWithSerialBinaryProtocol.h"

#include <utility>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

CopyConfigurationWithSerialBinaryProtocol::CopyConfigurationWithSerialBinaryProtocol(
    ConfigurationLocation source, ConfigurationLocation destination, uint8_t third, uint8_t fourth,
    std::unique_ptr<TavCommon::TimeDelay> delay)
    : source_(source), destination_(destination), third_(third), fourth_(fourth), delay_(std::move(delay)) {
    if (!delay_) {
        delay_ = std::make_unique<TavCommon::TimeDelay>();
    }
}

std::vector<uint8_t> CopyConfigurationWithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0xFA, 0x09, 0x82, static_cast<uint8_t>(source_), static_cast<uint8_t>(destination_), third_, fourth_};
}

bool CopyConfigurationWithSerialBinaryProtocol::ExpectsResponsePhrase() {
    delay_->DelayMilliseconds(kReplyDelayMs);
    return responsePhrasesAdded_ < 1;
}

void CopyConfigurationWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrasesAdded_ != 1) {
        TAV_THROW(ProtocolException, "CopyConfiguration did not get response data to validate response.");
    }
    if (responsePhrases_.empty() || responsePhrases_.front().empty()) {
        TAV_THROW(ProtocolException, "CopyConfiguration command response was empty.");
    }
    ReplyReader(responsePhrases_.front(),
                "Response from reader did not match expected response for CopyConfiguration command.", TAV_CHECK_SITE)
        .Expect(0, {0x09, 0x00, static_cast<uint8_t>(source_), static_cast<uint8_t>(destination_), third_, fourth_,
                    0x90, 0x00});
}

}  // namespace TavProtocol
