#pragma once

#include <memory>
#include <utility>

#include "common/TimeDelay.h"
#include "core/CommandVisitor.h"
#include "records/BootloaderModule.h"

namespace TavProtocol {

// Switches one of the reader's modules (0 to 2) into its bootloader. The command waits through the
// visitor's delay for the bootloader to start.
class EnableBootloaderModeVisitor : public CommandVisitor {
public:
    // A null delay leaves the command its own.
    explicit EnableBootloaderModeVisitor(BootloaderModule module, std::unique_ptr<TavCommon::TimeDelay> timeDelay = {})
        : module_(module), timeDelay_(std::move(timeDelay)) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

private:
    BootloaderModule module_;
    std::unique_ptr<TavCommon::TimeDelay> timeDelay_;
};

}  // namespace TavProtocol
