#include "featureReport/GetCardDataWithFeatureReportProtocol.h"

#include <algorithm>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

namespace {
constexpr std::size_t kCardDataLength = 32;
constexpr std::size_t kBytesPerReply = 8;
}  // namespace

int32_t GetCardDataWithFeatureReportProtocol::PhraseCount() const {
    switch (size_) {
    case GetCardDataSizeParameters::Short:
        return 1;
    case GetCardDataSizeParameters::Long:
        return 4;
    }
    return 0;
}

bool GetCardDataWithFeatureReportProtocol::HasCommandPhrase() { return commandPhrasesProduced_ < PhraseCount(); }

std::vector<uint8_t> GetCardDataWithFeatureReportProtocol::NextCommandPhrase() {
    std::vector<uint8_t> phrase;
    switch (size_) {
    case GetCardDataSizeParameters::Short:
        phrase = FeatureReportPhrase({0x8F});
        break;
    case GetCardDataSizeParameters::Long:
        phrase = FeatureReportPhrase({0x8D, static_cast<uint8_t>(commandPhrasesProduced_)});
        break;
    default:
        TAV_THROW(ProtocolException, "Unsupported card data read size requested by GetCardData command.");
    }
    ++commandPhrasesProduced_;
    return phrase;
}

bool GetCardDataWithFeatureReportProtocol::ExpectsResponsePhrase() { return responsePhrasesAdded_ < PhraseCount(); }

std::vector<uint8_t> GetCardDataWithFeatureReportProtocol::GetResult() const {
    std::vector<uint8_t> data(kCardDataLength, 0);
    const auto replyCount = static_cast<std::size_t>(PhraseCount());
    if (responsePhrases_.size() < replyCount) {
        TAV_THROW(ProtocolException, "No response has been received for GetCardData command.");
    }
    for (std::size_t i = 0; i < replyCount; ++i) {
        const auto bytes =
            ReplyReader::Of(responsePhrases_, i, "Invalid response received for GetCardData command.", TAV_CHECK_SITE)
                .Bytes(0, kBytesPerReply);
        std::copy(bytes.begin(), bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(i * kBytesPerReply));
    }
    return data;
}

}  // namespace TavProtocol
