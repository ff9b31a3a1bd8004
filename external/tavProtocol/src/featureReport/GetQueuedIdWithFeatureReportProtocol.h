#pragma once

#include <cstdint>
#include <vector>

#include "core/Command.h"
#include "records/QueuedIdInformation.h"

namespace TavProtocol {

// Reads the queued card id in five phrases; the last carries the caller's flag byte.
class GetQueuedIdWithFeatureReportProtocol : public Command {
public:
    explicit GetQueuedIdWithFeatureReportProtocol(uint8_t flags) : flags_(flags) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < kPhraseCount; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < kPhraseCount; }

    QueuedIdInformation GetResult() const;

private:
    static constexpr int32_t kPhraseCount = 5;

    uint8_t flags_;
};

}  // namespace TavProtocol
