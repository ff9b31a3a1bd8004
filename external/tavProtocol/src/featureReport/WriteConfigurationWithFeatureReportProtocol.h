#pragma once

#include <cstdint>
#include <vector>

#include "core/Command.h"

namespace TavProtocol {

// Commits the working configuration to the reader's non-volatile memory. The reader does not answer.
class WriteConfigurationWithFeatureReportProtocol : public Command {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    void AddResponsePhrase(const std::vector<uint8_t>&) override {}
    bool ExpectsResponsePhrase() override { return false; }
};

}  // namespace TavProtocol
