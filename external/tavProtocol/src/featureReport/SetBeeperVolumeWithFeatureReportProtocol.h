#pragma once

#include <cstdint>
#include <vector>

#include "core/Command.h"
#include "records/BeepVolume.h"

namespace TavProtocol {

// Sets the beeper volume. The reader acknowledges with the read form's sub-code (8C 06).
class SetBeeperVolumeWithFeatureReportProtocol : public Command {
public:
    explicit SetBeeperVolumeWithFeatureReportProtocol(BeepVolume volume) : volume_(volume) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse() const;

private:
    BeepVolume volume_;
};

}  // namespace TavProtocol
