#pragma once

#include <cstdint>
#include <vector>

#include "featureReport/FeatureReportCommand.h"
#include "records/GetCardDataSizeParameters.h"

namespace TavProtocol {

// Reads the card the reader holds: 8 bytes in one phrase (size Short) or 32 bytes in four (Long).
class GetCardDataWithFeatureReportProtocol : public FeatureReportCommand {
public:
    explicit GetCardDataWithFeatureReportProtocol(GetCardDataSizeParameters size) : size_(size) {}

    bool HasCommandPhrase() override;
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override;

    // 32 bytes: reply i in bytes 8i to 8i + 7, the rest 0.
    std::vector<uint8_t> GetResult() const;

private:
    int32_t PhraseCount() const;

    GetCardDataSizeParameters size_;
};

}  // namespace TavProtocol
