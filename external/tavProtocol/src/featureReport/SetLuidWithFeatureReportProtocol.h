#pragma once

#include <cstdint>
#include <vector>

#include "core/Command.h"

namespace TavProtocol {

// Writes the reader's LUID: the command code, then the value. The reader does not answer.
class SetLuidWithFeatureReportProtocol : public Command {
public:
    explicit SetLuidWithFeatureReportProtocol(uint16_t luid) : luid_(luid) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 2; }
    std::vector<uint8_t> NextCommandPhrase() override;
    void AddResponsePhrase(const std::vector<uint8_t>&) override {}
    bool ExpectsResponsePhrase() override { return false; }

private:
    uint16_t luid_;
};

}  // namespace TavProtocol
