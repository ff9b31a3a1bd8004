#pragma once

#include <cstdint>
#include <vector>

#include "core/Command.h"

namespace TavProtocol {

// Reads the card types the reader supports, page after page until a reply holds two adjacent
// zero bytes.
class GetSupportedCardsWithFeatureReportProtocol : public Command {
public:
    bool HasCommandPhrase() override;
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return commandPhrasesProduced_ != responsePhrasesAdded_; }

    // The card-type codes of all pages in order, zero codes left out.
    std::vector<uint16_t> GetResult() const;
};

}  // namespace TavProtocol
