#pragma once

#include <cstdint>
#include <vector>

#include "core/Command.h"
#include "records/CardAnalyzerControlParameter.h"

namespace TavProtocol {

// Sends a control code to the card analyzer; the reader echoes it.
class SetCardAnalyzerControlWithFeatureReportProtocol : public Command {
public:
    explicit SetCardAnalyzerControlWithFeatureReportProtocol(CardAnalyzerControlParameter code) : code_(code) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse() const;

private:
    CardAnalyzerControlParameter code_;
};

}  // namespace TavProtocol
