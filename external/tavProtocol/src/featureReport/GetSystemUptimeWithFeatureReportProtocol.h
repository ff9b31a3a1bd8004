#pragma once

#include <cstdint>
#include <vector>

#include "core/Command.h"

namespace TavProtocol {

// Reads how long the reader has been running.
class GetSystemUptimeWithFeatureReportProtocol : public Command {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    // Also kept as the command's last decoded uptime.
    unsigned int GetResult();

private:
    uint32_t uptime_ = 0;
};

}  // namespace TavProtocol
