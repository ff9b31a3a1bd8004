#pragma once

#include <cstdint>
#include <vector>

#include "common/ReaderConfigurationBlock4.h"
#include "core/Command.h"

namespace TavProtocol {

// Reads configuration block 4 of the active configuration; the reply is the block itself.
class GetConfigurationBlock4WithFeatureReportProtocol : public Command {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    ReaderConfigurationBlock4 GetResult() const;
};

}  // namespace TavProtocol
