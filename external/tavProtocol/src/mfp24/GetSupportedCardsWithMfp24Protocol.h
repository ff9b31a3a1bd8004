#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "mfp24/Mfp24Command.h"

namespace TavProtocol {

// Reads the reader's card-type codes page by page ("QCT" and the page in two hexadecimal digits),
// five four-character codes a page, until a code "0000" ends the list.
class GetSupportedCardsWithMfp24Protocol : public Mfp24Command {
public:
    // Two hexadecimal digits number the pages.
    static constexpr int32_t kMaxPages = 256;

    // Pages until the list ends; stops at a reply that is not a page, which ValidateResponse
    // then reports, and fails when the list has not ended within kMaxPages pages.
    bool HasCommandPhrase() override;
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < commandPhrasesProduced_; }

    void ValidateResponse() const;
    std::vector<uint16_t> GetResult() const;

private:
    static uint16_t hexStringToUint16(std::string_view text);
};

}  // namespace TavProtocol
