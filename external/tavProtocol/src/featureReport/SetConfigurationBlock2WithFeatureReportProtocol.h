#pragma once

#include <cstdint>
#include <vector>

#include "common/ReaderConfigurationBlock2.h"
#include "core/Command.h"

namespace TavProtocol {

// Writes configuration block 2 of the active configuration: the block's code, then its 8 bytes.
// The reader does not answer.
class SetConfigurationBlock2WithFeatureReportProtocol : public Command {
public:
    explicit SetConfigurationBlock2WithFeatureReportProtocol(const ReaderConfigurationBlock2& block) : block_(block) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 2; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return false; }

private:
    ReaderConfigurationBlock2 block_;
};

}  // namespace TavProtocol
