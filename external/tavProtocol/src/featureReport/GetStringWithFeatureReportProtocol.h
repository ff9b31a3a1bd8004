#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Command.h"
#include "records/GetStringIndex.h"

namespace TavProtocol {

// Reads one of the reader's strings, phrase after phrase until a reply holds a zero byte.
class GetStringWithFeatureReportProtocol : public Command {
public:
    explicit GetStringWithFeatureReportProtocol(GetStringIndex index) : index_(index) {}

    bool HasCommandPhrase() override;
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return commandPhrasesProduced_ > responsePhrasesAdded_; }

    void ValidateResponse() const;
    // The text of all replies up to the first zero byte.
    std::string GetResult() const;

private:
    // True when the reply holds a zero byte; an empty reply fails.
    static bool ReverseSeekNullTerminator(const std::vector<uint8_t>& response);

    GetStringIndex index_;
};

}  // namespace TavProtocol
