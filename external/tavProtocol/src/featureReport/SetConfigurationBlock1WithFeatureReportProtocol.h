#pragma once

#include <cstdint>
#include <vector>

#include "common/ReaderConfigurationBlock1.h"
#include "core/Command.h"

namespace TavProtocol {

// Writes configuration block 1 of the active configuration: the block's code, then its 8 bytes.
// The reader does not answer.
class SetConfigurationBlock1WithFeatureReportProtocol : public Command {
public:
    explicit SetConfigurationBlock1WithFeatureReportProtocol(const ReaderConfigurationBlock1& block) : block_(block) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 2; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return false; }

private:
    ReaderConfigurationBlock1 block_;
};

}  // namespace TavProtocol
