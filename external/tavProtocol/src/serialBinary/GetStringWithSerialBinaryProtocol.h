#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "records/GetStringIndex.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// One of the reader's strings, read phrase after phrase until a reply holds its terminating zero.
class GetStringWithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    explicit GetStringWithSerialBinaryProtocol(GetStringIndex index) : index_(index) {}

    // Ends at the reply holding the terminator, at a reply that is not text (the check reports
    // it), or after 256 phrases: the phrase index is one byte.
    bool HasCommandPhrase() override;
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < commandPhrasesProduced_; }

    void ValidateResponse();
    std::string GetResult();

    // True when the reply holds a zero byte; an empty reply throws.
    bool ReverseSeekNullTerminator(const std::vector<uint8_t>& reply) const;

private:
    static constexpr int32_t kMaxPhrases = 256;
    static constexpr uint8_t kAck = 0x0C;

    GetStringIndex index_;
};

}  // namespace TavProtocol
