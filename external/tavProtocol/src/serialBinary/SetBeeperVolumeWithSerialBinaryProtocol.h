#pragma once

#include <cstdint>
#include <vector>

#include "records/BeepVolume.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// Sets the reader's beeper volume.
class SetBeeperVolumeWithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    explicit SetBeeperVolumeWithSerialBinaryProtocol(BeepVolume volume) : volume_(volume) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse();

private:
    BeepVolume volume_;
};

}  // namespace TavProtocol
