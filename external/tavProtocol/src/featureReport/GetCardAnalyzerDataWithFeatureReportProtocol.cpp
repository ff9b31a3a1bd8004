#include "featureReport/GetCardAnalyzerDataWithFeatureReportProtocol.h"

#include <algorithm>
#include <utility>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

namespace {

constexpr std::size_t kBytesPerDataPhrase = 8;
constexpr uint32_t kMaxBitCount = 8 * std::tuple_size_v<decltype(CardAnalyzerData::Data)>;
constexpr const char* kTooFewReplies = "Number of response phrases are lesser than expected";
constexpr const char* kEmptyReply = "Empty response phrase has been received from reader";

uint32_t DataBytes(uint32_t bitCount) { return (bitCount + 7) / 8; }
uint32_t DataPhrases(uint32_t bitCount) { return (DataBytes(bitCount) + 7) / 8; }

}  // namespace

GetCardAnalyzerDataWithFeatureReportProtocol::GetCardAnalyzerDataWithFeatureReportProtocol(
    int32_t cardCount, std::vector<CardAnalyzerData> records)
    : cardCount_(std::max(cardCount, 0)), records_(std::move(records)) {
    // One zeroed record per card, whatever the caller handed in: the card index never leaves the
    // vector, and only a checked header ever sets a bit count.
    records_.assign(static_cast<std::size_t>(cardCount_), CardAnalyzerData{});
}

void GetCardAnalyzerDataWithFeatureReportProtocol::Reset() {
    Command::Reset();
    phraseIndex_ = 0;
    dataPhrasesDue_ = 0;
    std::fill(records_.begin(), records_.end(), CardAnalyzerData{});
}

bool GetCardAnalyzerDataWithFeatureReportProtocol::HasCommandPhrase() {
    return dataPhrasesDue_ > 0 || commandPhrasesProduced_ < cardCount_;
}

bool GetCardAnalyzerDataWithFeatureReportProtocol::ExpectsResponsePhrase() {
    return dataPhrasesDue_ > 0 || responsePhrasesAdded_ < cardCount_;
}

std::vector<uint8_t> GetCardAnalyzerDataWithFeatureReportProtocol::NextCommandPhrase() {
    auto phrase = FeatureReportPhrase(
        {0x8C, 0x09, static_cast<uint8_t>(commandPhrasesProduced_), static_cast<uint8_t>(phraseIndex_)});
    ++phraseIndex_;
    return phrase;
}

void GetCardAnalyzerDataWithFeatureReportProtocol::NextCard() {
    ++commandPhrasesProduced_;
    phraseIndex_ = 0;
}

void GetCardAnalyzerDataWithFeatureReportProtocol::AddResponsePhrase(const std::vector<uint8_t>& response) {
    if (dataPhrasesDue_ == 0) {
        ParseCurrentCardTypeAndBits(response);
        ++responsePhrasesAdded_;
        if (dataPhrasesDue_ == 0) {
            NextCard();
        }
        return;
    }
    responsePhrases_.push_back(response);
    if (--dataPhrasesDue_ == 0) {
        NextCard();
    }
}

void GetCardAnalyzerDataWithFeatureReportProtocol::ParseCurrentCardTypeAndBits(const std::vector<uint8_t>& response) {
    ReplyReader(response, kEmptyReply, TAV_CHECK_SITE).RequireAtLeast(1);
    const auto card = static_cast<std::size_t>(commandPhrasesProduced_);
    if (card >= records_.size()) {
        TAV_THROW(ProtocolException, "Card analyzer header received for a card that was not asked for");
    }
    const ReplyReader header(response, "Invalid card type and bit count received from reader", TAV_CHECK_SITE);
    CardAnalyzerData record{};
    record.CardType = header.LittleEndian16(0);
    record.BitCount = header.LittleEndian16(2);
    // Refused before any data phrase: a record holds 32 data bytes and no more.
    if (record.BitCount > kMaxBitCount) {
        TAV_THROW(ProtocolException, "Card analyzer reports more card bits than a record can hold");
    }
    records_[card] = record;
    dataPhrasesDue_ = DataPhrases(record.BitCount);
}

void GetCardAnalyzerDataWithFeatureReportProtocol::ValidateResponse() const {
    std::size_t dataPhrases = 0;
    for (const auto& record : records_) {
        dataPhrases += DataPhrases(record.BitCount);
    }
    if (dataPhrases > responsePhrases_.size()) {
        TAV_THROW(ProtocolException, kTooFewReplies);
    }
    for (const auto& response : responsePhrases_) {
        ReplyReader(response, kEmptyReply, TAV_CHECK_SITE).RequireAtLeast(1);
    }
}

std::vector<CardAnalyzerData> GetCardAnalyzerDataWithFeatureReportProtocol::GetResult() const {
    auto records = records_;
    std::size_t reply = 0;
    for (auto& record : records) {
        // A card's bytes run through its data replies in order, up to 8 from each; a short reply is
        // used up early and the next one continues the card. The next card starts on a fresh reply.
        const std::size_t byteCount = DataBytes(record.BitCount);
        std::size_t filled = 0;
        while (filled < byteCount) {
            if (reply >= responsePhrases_.size()) {
                TAV_THROW(ProtocolException, kTooFewReplies);
            }
            const ReplyReader data(responsePhrases_[reply++], kTooFewReplies, TAV_CHECK_SITE);
            const auto bytes = data.Bytes(0, std::min({data.Size(), kBytesPerDataPhrase, byteCount - filled}));
            std::copy(bytes.begin(), bytes.end(), record.Data.begin() + static_cast<std::ptrdiff_t>(filled));
            filled += bytes.size();
        }
        if (byteCount > 0) {
            std::reverse(record.Data.begin(), record.Data.end());
        }
    }
    return records;
}

}  // namespace TavProtocol
