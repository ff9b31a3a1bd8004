#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "common/TimeDelay.h"
#include "featureReport/FeatureReportCommand.h"
#include "records/BootloaderModule.h"

namespace TavProtocol {

// Puts a module of the reader into its bootloader. The reader needs 3 seconds before it
// answers, in the bootloader's own format.
class EnableBootloaderModeWithFeatureReportProtocol : public FeatureReportCommand {
public:
    EnableBootloaderModeWithFeatureReportProtocol(BootloaderModule module, std::unique_ptr<TavCommon::TimeDelay> delay);

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    // Waits the 3 seconds on every call, then says whether the reply is still due.
    bool ExpectsResponsePhrase() override;

    // The byte the bootloader reports after its status character.
    uint8_t ParseResult() const;

private:
    BootloaderModule module_;
    std::unique_ptr<TavCommon::TimeDelay> delay_;
};

}  // namespace TavProtocol
