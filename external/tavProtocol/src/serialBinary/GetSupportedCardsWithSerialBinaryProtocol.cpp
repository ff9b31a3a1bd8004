#include "serialBinary/GetSupportedCardsWithSerialBinaryProtocol.h"

#include <fmt/format.h>

#include <algorithm>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "core/UnreadableReplyException.h"

namespace TavProtocol {

namespace {

constexpr const char* kInvalidPage = "Invalid ACK data received from reader after GetSupportedCards command";

// Echoed instruction and page index, the codes, then the status word.
constexpr std::size_t kEchoBytes = 2;
constexpr std::size_t kStatusWordBytes = 2;

// A page echoes its index, as the request carried it.
uint8_t PageIndex(std::size_t page) { return static_cast<uint8_t>(page); }

bool IsPage(const std::vector<uint8_t>& reply, std::size_t page) {
    const ReplyReader reader(reply, kInvalidPage, TAV_CHECK_SITE);
    return reader.Matches(0, {0x09, 0x04, PageIndex(page)}) && reader.Matches(11, {0x90});
}

// The end of the list: two adjacent zero bytes anywhere between the echo and the status word, the
// page index included.
bool IsLastPage(const std::vector<uint8_t>& reply) {
    const ReplyReader page(reply, kInvalidPage, TAV_CHECK_SITE);
    if (page.Size() < kEchoBytes + kStatusWordBytes) {
        return false;
    }
    const auto body = page.Between(kEchoBytes, kStatusWordBytes);
    return std::adjacent_find(body.begin(), body.end(), [](uint8_t a, uint8_t b) { return a == 0x00 && b == 0x00; }) !=
           body.end();
}

}  // namespace

bool GetSupportedCardsWithSerialBinaryProtocol::HasCommandPhrase() {
    if (commandPhrasesProduced_ == 0 || responsePhrases_.empty()) {
        return commandPhrasesProduced_ < kMaxPages;
    }
    const auto& last = responsePhrases_.back();
    return IsPage(last, responsePhrases_.size() - 1) && !IsLastPage(last) && commandPhrasesProduced_ < kMaxPages;
}

std::vector<uint8_t> GetSupportedCardsWithSerialBinaryProtocol::NextCommandPhrase() {
    return {0xFA, 0x09, 0x04, PageIndex(static_cast<std::size_t>(commandPhrasesProduced_++)), 0x00};
}

void GetSupportedCardsWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, "Attempted to get result of GetSupportedCards before all responses were received");
    }
    for (std::size_t i = 0; i < responsePhrases_.size(); ++i) {
        if (responsePhrases_[i].empty()) {
            TAV_THROW(ProtocolException, fmt::format("Response phrase at index {} is empty", i));
        }
        if (!IsPage(responsePhrases_[i], i)) {
            ReplyReader(responsePhrases_[i], kInvalidPage, TAV_CHECK_SITE).Fail();
        }
    }
    if (!std::any_of(responsePhrases_.begin(), responsePhrases_.end(), IsLastPage)) {
        TAV_THROW(UnreadableReplyException,
                  fmt::format("The supported card list from the reader did not end within {} pages", kMaxPages));
    }
}

std::vector<uint16_t> GetSupportedCardsWithSerialBinaryProtocol::GetResult() {
    std::vector<uint16_t> codes;
    for (const auto& page : responsePhrases_) {
        const ReplyReader reply(page, kInvalidPage, TAV_CHECK_SITE);
        for (std::size_t offset = 3; offset + 2 < reply.Size(); offset += 2) {
            if (const uint16_t code = reply.LittleEndian16(offset); code != 0) {
                codes.push_back(code);
            }
        }
    }
    return codes;
}

}  // namespace TavProtocol
