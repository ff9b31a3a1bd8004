#pragma once

#include <cstdint>
#include <vector>

#include "core/Command.h"
#include "records/SerialReaderBaudRate.h"

namespace TavProtocol {

// The code of the reader's serial line speed.
class GetBaudRateWithSerialBinaryProtocol : public Command {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse();
    SerialReaderBaudRate GetResult();
};

}  // namespace TavProtocol
