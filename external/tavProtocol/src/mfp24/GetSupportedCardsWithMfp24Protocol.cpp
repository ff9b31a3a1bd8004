#include "mfp24/GetSupportedCardsWithMfp24Protocol.h"

#include <fmt/format.h>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "mfp24/Mfp24Phrase.h"

namespace TavProtocol {

namespace {

constexpr std::size_t kFirstGroup = 3;
constexpr std::size_t kGroupLength = 4;
constexpr std::string_view kEndOfList = "0000";

constexpr const char* kInvalidPage = "GetSupportedCardsWithMfp24Protocol invalid response phrase.";

bool IsPage(const ReplyReader& reply) { return Mfp24Phrase::IsWhole(reply) && reply.MatchesText(0, "RCT"); }

// The four-character groups that lie wholly inside the reply.
template <typename Visit>
bool ForEachGroup(const ReplyReader& reply, Visit visit) {
    for (std::size_t offset = kFirstGroup; offset + kGroupLength <= reply.Size(); offset += kGroupLength) {
        if (!visit(reply.Text(offset, kGroupLength))) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool GetSupportedCardsWithMfp24Protocol::HasCommandPhrase() {
    if (responsePhrases_.empty()) {
        return true;
    }
    const ReplyReader last(responsePhrases_.back(), kInvalidPage, TAV_CHECK_SITE);
    if (!IsPage(last)) {
        return false;
    }
    const bool ended = !ForEachGroup(last, [](std::string_view group) { return group != kEndOfList; });
    if (ended) {
        return false;
    }
    if (commandPhrasesProduced_ >= kMaxPages) {
        TAV_THROW(
            ProtocolException,
            fmt::format("GetSupportedCardsWithMfp24Protocol: the card list did not end within {} pages", kMaxPages));
    }
    return true;
}

std::vector<uint8_t> GetSupportedCardsWithMfp24Protocol::NextCommandPhrase() {
    const std::string request = fmt::format("QCT{:02X}", commandPhrasesProduced_);
    ++commandPhrasesProduced_;
    return Mfp24Phrase::Make(request);
}

void GetSupportedCardsWithMfp24Protocol::ValidateResponse() const {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, "GetSupportedCardsWithMfp24Protocol command response was empty.");
    }
    for (const auto& phrase : responsePhrases_) {
        const ReplyReader reply(phrase, kInvalidPage, TAV_CHECK_SITE);
        if (reply.MatchesText(0, "ECT")) {
            TAV_THROW(ProtocolException, "Error called GetSupportedCardsWithMfp24Protocol on KVX1 reader.");
        }
        if (!IsPage(reply)) {
            TAV_THROW(ProtocolException, kInvalidPage);
        }
    }
}

std::vector<uint16_t> GetSupportedCardsWithMfp24Protocol::GetResult() const {
    std::vector<uint16_t> codes;
    for (const auto& phrase : responsePhrases_) {
        const ReplyReader reply(phrase, kInvalidPage, TAV_CHECK_SITE);
        const bool listGoesOn = ForEachGroup(reply, [&codes](std::string_view group) {
            if (group == kEndOfList) {
                return false;
            }
            codes.push_back(hexStringToUint16(group));
            return true;
        });
        if (!listGoesOn) {
            break;
        }
    }
    return codes;
}

uint16_t GetSupportedCardsWithMfp24Protocol::hexStringToUint16(std::string_view text) {
    if (text.size() != 4) {
        TAV_THROW(ProtocolException, "Invalid hex length. Hex length must be equal to 4");
    }
    uint16_t value = 0;
    for (const char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            TAV_THROW(ProtocolException, "Invalid hex character.");
        }
        value = static_cast<uint16_t>(value << 4 | digit);
    }
    return value;
}

}  // namespace TavProtocol
