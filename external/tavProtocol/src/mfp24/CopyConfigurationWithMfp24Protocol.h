#pragma once

#include <cstdint>
#include <vector>

#include "mfp24/Mfp24Command.h"
#include "records/ConfigurationLocation.h"

namespace TavProtocol {

// Copies a configuration: 'F' and a letter for the pair of locations. The reader knows three
// pairs: stored 2 to RAM ('D'), stored 1 to RAM ('R') and RAM to stored 1 ('W').
class CopyConfigurationWithMfp24Protocol : public Mfp24Command {
public:
    // The source in the low byte, the destination in the high byte.
    explicit CopyConfigurationWithMfp24Protocol(uint16_t sourceAndDestination)
        : source_(static_cast<ConfigurationLocation>(sourceAndDestination & 0xFF)),
          destination_(static_cast<ConfigurationLocation>(sourceAndDestination >> 8)) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ == 0; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ == 0; }

    void ValidateResponse() const;

private:
    // Throws std::invalid_argument for a pair the reader does not know.
    char CopyLetter() const;

    ConfigurationLocation source_;
    ConfigurationLocation destination_;
};

}  // namespace TavProtocol
