#pragma once

#include <cstdint>
#include <vector>

#include "core/Command.h"
#include "records/ActiveConfigurationInformation.h"

namespace TavProtocol {

// Makes one of the reader's configurations the active one.
class SetActiveConfigurationWithFeatureReportProtocol : public Command {
public:
    explicit SetActiveConfigurationWithFeatureReportProtocol(uint8_t configuration) : configuration_(configuration) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse() const;
    ActiveConfigurationInformation ParseResult() const;

private:
    uint8_t configuration_;
};

}  // namespace TavProtocol
