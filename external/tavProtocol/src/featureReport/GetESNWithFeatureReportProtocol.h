#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Command.h"

namespace TavProtocol {

// Reads the electronic serial number in four phrases.
class GetESNWithFeatureReportProtocol : public Command {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < kPhraseCount; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < kPhraseCount; }

    // Every byte of the four replies, zero bytes included.
    std::string GetResult() const;

private:
    static constexpr int32_t kPhraseCount = 4;
};

}  // namespace TavProtocol
