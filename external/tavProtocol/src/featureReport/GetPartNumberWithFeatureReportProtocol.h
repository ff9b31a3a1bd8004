#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Command.h"

namespace TavProtocol {

// Reads the part number in three phrases.
class GetPartNumberWithFeatureReportProtocol : public Command {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < kPhraseCount; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < kPhraseCount; }

    // The bytes of the three replies up to the first zero byte.
    std::string GetResult() const;

private:
    static constexpr int32_t kPhraseCount = 3;
};

}  // namespace TavProtocol
