#pragma once

#include <cstdint>
#include <vector>

#include "records/CardAnalyzerData.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// The cards the card analyzer holds. Each card takes a header phrase, whose reply gives its type
// and bit count, then one phrase per 8 data bytes; the phrase count follows from the replies.
// The phrases-produced counter is the current card's index; the replies-added counter counts
// headers, which are checked on arrival and not stored.
class GetCardAnalyzerDataWithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    // cardCount is at least 1 (the visitor checks it).
    explicit GetCardAnalyzerDataWithSerialBinaryProtocol(int32_t cardCount);

    void Reset() override;
    bool HasCommandPhrase() override { return dataPhrasesDue_ > 0 || commandPhrasesProduced_ < cardCount_; }
    std::vector<uint8_t> NextCommandPhrase() override;
    void AddResponsePhrase(const std::vector<uint8_t>& response) override;
    bool ExpectsResponsePhrase() override { return dataPhrasesDue_ > 0 || responsePhrasesAdded_ < cardCount_; }

    void ValidateResponse();
    std::vector<CardAnalyzerData> GetResult();

    void validateCardTypeAndBitsResponse(const std::vector<uint8_t>& response) const;

private:
    static int32_t DataPhrasesFor(uint16_t bitCount) { return ((bitCount + 7) / 8 + 7) / 8; }

    int32_t cardCount_;
    int32_t phraseIndex_ = 0;
    int32_t dataPhrasesDue_ = 0;
    std::vector<CardAnalyzerData> cards_;
};

}  // namespace TavProtocol
