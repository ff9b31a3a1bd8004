#pragma once

#include <cstdint>
#include <vector>

#include "core/Command.h"
#include "records/SerialReaderBaudRate.h"

namespace TavProtocol {

// Changes the reader's serial line speed.
class SetBaudRateWithSerialBinaryProtocol : public Command {
public:
    explicit SetBaudRateWithSerialBinaryProtocol(SerialReaderBaudRate baudRate) : baudRate_(baudRate) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse();

private:
    SerialReaderBaudRate baudRate_;
};

}  // namespace TavProtocol
