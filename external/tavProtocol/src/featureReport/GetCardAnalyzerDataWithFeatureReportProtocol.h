#pragma once

#include <cstdint>
#include <vector>

#include "featureReport/FeatureReportCommand.h"
#include "records/CardAnalyzerData.h"

namespace TavProtocol {

// Reads the card analyzer's records: for each card a header phrase (card type and bit count),
// then one data phrase per 8 data bytes. The phrases-produced counter is the current card; the
// replies-added counter counts headers; only data replies are stored.
class GetCardAnalyzerDataWithFeatureReportProtocol : public FeatureReportCommand {
public:
    GetCardAnalyzerDataWithFeatureReportProtocol(int32_t cardCount, std::vector<CardAnalyzerData> records);

    void Reset() override;
    bool HasCommandPhrase() override;
    std::vector<uint8_t> NextCommandPhrase() override;
    void AddResponsePhrase(const std::vector<uint8_t>& response) override;
    bool ExpectsResponsePhrase() override;

    void ValidateResponse() const;
    std::vector<CardAnalyzerData> GetResult() const;

private:
    void ParseCurrentCardTypeAndBits(const std::vector<uint8_t>& response);
    void NextCard();

    int32_t cardCount_;
    int32_t phraseIndex_ = 0;
    uint32_t dataPhrasesDue_ = 0;
    std::vector<CardAnalyzerData> records_;
};

}  // namespace TavProtocol
