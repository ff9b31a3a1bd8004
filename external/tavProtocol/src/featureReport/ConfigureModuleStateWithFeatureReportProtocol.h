#pragma once

#include <cstdint>
#include <vector>

#include "featureReport/FeatureReportCommand.h"
#include "records/ReaderModuleAction.h"
#include "records/ReaderModuleId.h"
#include "records/ReaderModuleState.h"

namespace TavProtocol {

// Reads (action Read) or sets (action Set) the state of one of the reader's modules.
class ConfigureModuleStateWithFeatureReportProtocol : public FeatureReportCommand {
public:
    ConfigureModuleStateWithFeatureReportProtocol(ReaderModuleAction action, ReaderModuleId module,
                                                  ReaderModuleState state)
        : action_(action), module_(module), state_(state) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse() const;
    // The module's state, after a read and after a set alike.
    ReaderModuleState GetResult() const;

private:
    ReaderModuleAction action_;
    ReaderModuleId module_;
    ReaderModuleState state_;
};

}  // namespace TavProtocol
