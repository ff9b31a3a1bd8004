#pragma once

#include <cstdint>
#include <memory>

#include "common/TimeDelay.h"
#include "core/CommandVisitor.h"
#include "records/ConfigurationLocation.h"

namespace TavProtocol {

// Copies a configuration from one store to another. The third and fourth bytes go to the reader
// unchanged. The serial-binary copy waits for the reader through the delay given (a plain one
// when none is).
class CopyConfigurationVisitor : public CommandVisitor {
public:
    CopyConfigurationVisitor(ConfigurationLocation source, ConfigurationLocation destination, uint8_t third,
                             uint8_t fourth, std::unique_ptr<TavCommon::TimeDelay> delay = nullptr)
        : source_(source),
          destination_(destination),
          third_(third),
          fourth_(fourth),
          delay_(delay ? std::move(delay) : std::make_unique<TavCommon::TimeDelay>()) {}
    CopyConfigurationVisitor(const CopyConfigurationVisitor&) = delete;
    CopyConfigurationVisitor& operator=(const CopyConfigurationVisitor&) = delete;

    void ValidateArguments() override;
    // A feature-report reader may copy its factory defaults into RAM; the others may not.
    void ValidateArgumentsForFeatureReportProtocol();
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

private:
    ConfigurationLocation source_;
    ConfigurationLocation destination_;
    uint8_t third_;
    uint8_t fourth_;
    std::unique_ptr<TavCommon::TimeDelay> delay_;
};

}  // namespace TavProtocol
