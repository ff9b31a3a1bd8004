#include "featureReport/GetSupportedCardsWithFeatureReportProtocol.h"

#include <algorithm>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

namespace {

// The page number is one byte on the wire.
constexpr int32_t kMaxPages = 256;

// The list ends at two adjacent zero bytes anywhere in a page, not only at an even offset.
bool HoldsEndOfList(const std::vector<uint8_t>& page) {
    const uint8_t zeros[] = {0, 0};
    return std::search(page.begin(), page.end(), std::begin(zeros), std::end(zeros)) != page.end();
}

}  // namespace

bool GetSupportedCardsWithFeatureReportProtocol::HasCommandPhrase() {
    if (commandPhrasesProduced_ == 0 || responsePhrasesAdded_ == 0) {
        return true;
    }
    if (std::any_of(responsePhrases_.rbegin(), responsePhrases_.rend(), HoldsEndOfList)) {
        return false;
    }
    if (commandPhrasesProduced_ >= kMaxPages) {
        TAV_THROW(ProtocolException, "GetSupportedCards read 256 pages without finding the end of the list.");
    }
    return true;
}

std::vector<uint8_t> GetSupportedCardsWithFeatureReportProtocol::NextCommandPhrase() {
    const auto page = static_cast<uint8_t>(commandPhrasesProduced_);
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x89, 0x04, page});
}

std::vector<uint16_t> GetSupportedCardsWithFeatureReportProtocol::GetResult() const {
    std::vector<uint16_t> codes;
    for (const auto& phrase : responsePhrases_) {
        const ReplyReader page(phrase, "Invalid page received for GetSupportedCards command.", TAV_CHECK_SITE);
        // A trailing odd byte is no code.
        for (std::size_t offset = 0; offset + 1 < page.Size(); offset += 2) {
            const uint16_t code = page.LittleEndian16(offset);
            if (code != 0) {
                codes.push_back(code);
            }
        }
    }
    return codes;
}

}  // namespace TavProtocol
