#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mfp24/Mfp24Command.h"

namespace TavProtocol {

// Reads the part number ("QRZ01"), answered as text after "RRZ".
class GetPartNumberWithMfp24Protocol : public Mfp24Command {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ == 0; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ == 0; }

    void ValidateResponse() const;
    // The text between the echo and the carriage return, trailing blanks removed.
    std::string GetResult() const;
};

}  // namespace TavProtocol
