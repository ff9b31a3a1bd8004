#pragma once

#include <cstdint>
#include <vector>

#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// Sets the reader's LUID: a header announcing two data bytes, then, once the reader has
// acknowledged the header, the two bytes alone. The reader waits 100 ms for them.
class SetLuidWithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    explicit SetLuidWithSerialBinaryProtocol(uint16_t luid) : luid_(luid) {}

    bool HasCommandPhrase() override;
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < commandPhrasesProduced_; }

    void ValidateResponse();

private:
    static constexpr uint8_t kHeaderAck = 0x06;

    uint16_t luid_;
};

}  // namespace TavProtocol
