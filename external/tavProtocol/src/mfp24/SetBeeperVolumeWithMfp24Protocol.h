#pragma once

#include <cstdint>
#include <vector>

#include "mfp24/Mfp24Command.h"
#include "records/BeepVolume.h"

namespace TavProtocol {

// Sets the beeper volume: "BV" and the volume as a digit.
class SetBeeperVolumeWithMfp24Protocol : public Mfp24Command {
public:
    explicit SetBeeperVolumeWithMfp24Protocol(BeepVolume volume) : volume_(volume) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ == 0; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ == 0; }

    void ValidateResponse() const;

private:
    char VolumeDigit() const { return static_cast<char>('0' + static_cast<uint8_t>(volume_)); }

    BeepVolume volume_;
};

}  // namespace TavProtocol
