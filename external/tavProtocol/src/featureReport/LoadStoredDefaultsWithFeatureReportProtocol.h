#pragma once

#include <cstdint>
#include <vector>

#include "core/Command.h"

namespace TavProtocol {

// Makes the reader load its stored default configuration. The reader does not answer.
class LoadStoredDefaultsWithFeatureReportProtocol : public Command {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    void AddResponsePhrase(const std::vector<uint8_t>&) override {}
    bool ExpectsResponsePhrase() override { return false; }
};

}  // namespace TavProtocol
