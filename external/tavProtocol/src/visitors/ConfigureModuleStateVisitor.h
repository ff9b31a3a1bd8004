#pragma once

#include "core/CommandVisitor.h"
#include "records/ReaderModuleAction.h"
#include "records/ReaderModuleId.h"
#include "records/ReaderModuleState.h"

namespace TavProtocol {

// Reads (action Read) or sets (action Set) the state of one of the reader's modules. The action
// goes to the reader as given: the reader judges values other than Read and Set.
class ConfigureModuleStateVisitor : public CommandVisitor {
public:
    ConfigureModuleStateVisitor(ReaderModuleAction action, ReaderModuleId module, ReaderModuleState state)
        : action_(action), module_(module), state_(state) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    // The module's state as the reader reported it; 0 until a run succeeds.
    ReaderModuleState GetResult() const { return result_; }

private:
    ReaderModuleAction action_;
    ReaderModuleId module_;
    ReaderModuleState state_;
    ReaderModuleState result_{};
};

}  // namespace TavProtocol
