#pragma once

#include <cstdint>
#include <vector>

#include "records/QueuedIdInformation.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// The reader's queued card id, read in five parts; the last part carries the caller's flag byte.
class GetQueuedIdWithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    explicit GetQueuedIdWithSerialBinaryProtocol(uint8_t flags) : flags_(flags) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < kParts; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < kParts; }

    void ValidateResponse();
    QueuedIdInformation GetResult();

private:
    static constexpr int32_t kParts = 5;

    uint8_t flags_;
};

}  // namespace TavProtocol
