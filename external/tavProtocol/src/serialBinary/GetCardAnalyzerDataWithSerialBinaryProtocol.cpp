#include "serialBinary/GetCardAnalyzerDataWithSerialBinaryProtocol.h"

#include <algorithm>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

namespace {

constexpr const char* kInvalidData = "Invalid ACK data received from reader after GetCardAnalyzerData command.";
constexpr const char* kMissingData = "Response phrases received are lesser than expected";
constexpr const char* kInvalidHeader = "Invalid ACK data received from reader for GetCardAnalyzerData command.";

}  // namespace

GetCardAnalyzerDataWithSerialBinaryProtocol::GetCardAnalyzerDataWithSerialBinaryProtocol(int32_t cardCount)
    : cardCount_(cardCount), cards_(static_cast<std::size_t>(std::max(cardCount, 0))) {}

void GetCardAnalyzerDataWithSerialBinaryProtocol::Reset() {
    Command::Reset();
    phraseIndex_ = 0;
    dataPhrasesDue_ = 0;
    std::fill(cards_.begin(), cards_.end(), CardAnalyzerData{});
}

std::vector<uint8_t> GetCardAnalyzerDataWithSerialBinaryProtocol::NextCommandPhrase() {
    const auto card = static_cast<uint8_t>(commandPhrasesProduced_);
    const auto phrase = static_cast<uint8_t>(phraseIndex_++);
    return {0xFA, 0x0C, 0x09, card, phrase};
}

void GetCardAnalyzerDataWithSerialBinaryProtocol::validateCardTypeAndBitsResponse(
    const std::vector<uint8_t>& response) const {
    ReplyReader(response, "Empty response phrase has been received from reader.", TAV_CHECK_SITE).RequireAtLeast(1);
    const ReplyReader header(response, kInvalidHeader, TAV_CHECK_SITE);
    if (header.Matches(0, {0x6D})) {
        TAV_THROW(ProtocolException, "Feature not supported for this reader.");
    }
    header.RequireAtLeast(11).Expect(0, {0x0C}).Expect(9, {0x90, 0x00});
}

void GetCardAnalyzerDataWithSerialBinaryProtocol::AddResponsePhrase(const std::vector<uint8_t>& response) {
    if (dataPhrasesDue_ == 0) {
        validateCardTypeAndBitsResponse(response);
        if (commandPhrasesProduced_ < 0 || commandPhrasesProduced_ >= cardCount_) {
            // A header beyond the cards asked for has no record to go to.
            TAV_THROW(ProtocolException, kInvalidHeader);
        }
        const ReplyReader header(response, kInvalidHeader, TAV_CHECK_SITE);
        CardAnalyzerData& card = cards_[static_cast<std::size_t>(commandPhrasesProduced_)];
        card = CardAnalyzerData{};
        card.CardType = header.LittleEndian16(1);
        card.BitCount = header.Byte(3);
        ++responsePhrasesAdded_;
        dataPhrasesDue_ = DataPhrasesFor(card.BitCount);
    } else {
        responsePhrases_.push_back(response);
        --dataPhrasesDue_;
    }
    if (dataPhrasesDue_ == 0) {
        ++commandPhrasesProduced_;
        phraseIndex_ = 0;
    }
}

void GetCardAnalyzerDataWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException,
                  "Result parsing of CardAnalyzerData failed because the command did not receive a response from the "
                  "reader.");
    }
    for (const auto& reply : responsePhrases_) {
        ReplyReader(reply, "Empty card data response has been received from reader.", TAV_CHECK_SITE).RequireAtLeast(1);
        ReplyReader(reply, kInvalidData, TAV_CHECK_SITE).RequireAtLeast(11).Expect(0, {0x0C}).Expect(9, {0x90, 0x00});
    }
    std::size_t expected = 0;
    for (const auto& card : cards_) {
        expected += static_cast<std::size_t>(DataPhrasesFor(card.BitCount));
    }
    if (responsePhrases_.size() < expected) {
        TAV_THROW(ProtocolException, kMissingData);
    }
}

std::vector<CardAnalyzerData> GetCardAnalyzerDataWithSerialBinaryProtocol::GetResult() {
    std::vector<CardAnalyzerData> result = cards_;
    std::size_t replyIndex = 0;
    for (CardAnalyzerData& card : result) {
        const std::size_t byteCount = std::min<std::size_t>((card.BitCount + 7u) / 8u, card.Data.size());
        for (std::size_t j = 0; j < byteCount; ++j) {
            const ReplyReader reply =
                ReplyReader::Of(responsePhrases_, replyIndex + j / 8, kMissingData, TAV_CHECK_SITE);
            card.Data[j] = reply.Byte(1 + j % 8);
        }
        replyIndex += static_cast<std::size_t>(DataPhrasesFor(card.BitCount));
        // The reader sends the last byte first: the bytes end up at the end, in reverse.
        std::reverse(card.Data.begin(), card.Data.end());
    }
    return result;
}

}  // namespace TavProtocol
