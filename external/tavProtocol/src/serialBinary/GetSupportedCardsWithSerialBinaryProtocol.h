#pragma once

#include <cstdint>
#include <vector>

#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// The card-type codes the reader supports, read page after page until a page holds two adjacent
// zero bytes.
class GetSupportedCardsWithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    // Ends at the last page, at a reply that is not a page (the check reports it), or after 256
    // pages: the page index is one byte.
    bool HasCommandPhrase() override;
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ != commandPhrasesProduced_; }

    void ValidateResponse();
    std::vector<uint16_t> GetResult();

private:
    static constexpr int32_t kMaxPages = 256;
};

}  // namespace TavProtocol
