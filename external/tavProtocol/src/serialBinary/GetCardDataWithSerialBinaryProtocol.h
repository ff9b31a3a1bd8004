#pragma once

#include <cstdint>
#include <vector>

#include "records/GetCardDataSizeParameters.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// The card the reader holds: its bit count and 8 or 32 data bytes, in one reply. Serves the card
// data, the bit count and the card-read payload alike.
class GetCardDataWithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    explicit GetCardDataWithSerialBinaryProtocol(GetCardDataSizeParameters size) : size_(size) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    // A reply saying that no card is present passes: the results are then empty.
    void ValidateResponse();
    // 32 bytes, zero behind the data the read yields.
    std::vector<uint8_t> GetResult();
    uint8_t GetBitCount();

private:
    bool IsNoCardReply() const;

    GetCardDataSizeParameters size_;
};

}  // namespace TavProtocol
