#pragma once

#include <cstdint>
#include <vector>

#include "core/Command.h"
#include "records/InstalledHardwareInformation.h"

namespace TavProtocol {

// Reads which hardware the reader supports and which is installed.
class GetInstalledHardwareWithFeatureReportProtocol : public Command {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ != commandPhrasesProduced_; }

    InstalledHardwareInformation GetResult() const;
};

}  // namespace TavProtocol
