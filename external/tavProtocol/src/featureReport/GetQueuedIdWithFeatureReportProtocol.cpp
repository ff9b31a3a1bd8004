#include "featureReport/GetQueuedIdWithFeatureReportProtocol.h"

#include <algorithm>
#include <cstring>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

namespace {
constexpr const char* kInvalidReply = "Invalid response received for GetQueuedId command.";
}

std::vector<uint8_t> GetQueuedIdWithFeatureReportProtocol::NextCommandPhrase() {
    const auto index = static_cast<uint8_t>(commandPhrasesProduced_);
    ++commandPhrasesProduced_;
    if (index == kPhraseCount - 1) {
        return FeatureReportPhrase({0x8C, 0x02, index, flags_});
    }
    return FeatureReportPhrase({0x8C, 0x02, index});
}

QueuedIdInformation GetQueuedIdWithFeatureReportProtocol::GetResult() const {
    if (responsePhrases_.size() < static_cast<std::size_t>(kPhraseCount)) {
        TAV_THROW(ProtocolException, "No response has been received for GetQueuedId command.");
    }
    QueuedIdInformation information{};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto bytes = ReplyReader::Of(responsePhrases_, i, kInvalidReply, TAV_CHECK_SITE).Bytes(0, 8);
        std::copy(bytes.begin(), bytes.end(), information.Data + i * 8);
    }
    const auto last = ReplyReader::Of(responsePhrases_, 4, kInvalidReply, TAV_CHECK_SITE).RequireAtLeast(8);
    std::memcpy(&information.Value, last.Bytes(0, 4).data(), sizeof information.Value);
    information.LastByte = last.Byte(7);
    return information;
}

}  // namespace TavProtocol
