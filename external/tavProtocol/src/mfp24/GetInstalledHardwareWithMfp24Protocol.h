#pragma once

#include <cstdint>
#include <vector>

#include "mfp24/Mfp24Command.h"
#include "records/InstalledHardwareInformation.h"

namespace TavProtocol {

// Reads which hardware the reader supports and has installed ("QSX07"), answered as two 32-bit
// numbers in hexadecimal characters.
class GetInstalledHardwareWithMfp24Protocol : public Mfp24Command {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ == 0; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ == 0; }

    void ValidateResponse() const;
    InstalledHardwareInformation GetResult() const;
};

}  // namespace TavProtocol
