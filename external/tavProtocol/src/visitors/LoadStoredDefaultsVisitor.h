#pragma once

#include <memory>

#include "common/TimeDelay.h"
#include "core/CommandVisitor.h"

namespace TavProtocol {

// Reloads the reader's stored defaults into its working configuration. A serial reader needs
// 1.2 s afterwards, waited through the delay the visitor owns.
class LoadStoredDefaultsVisitor : public CommandVisitor {
public:
    explicit LoadStoredDefaultsVisitor(std::unique_ptr<TavCommon::TimeDelay> delay)
        : delay_(delay ? std::move(delay) : std::make_unique<TavCommon::TimeDelay>()) {}
    LoadStoredDefaultsVisitor(const LoadStoredDefaultsVisitor&) = delete;
    LoadStoredDefaultsVisitor& operator=(const LoadStoredDefaultsVisitor&) = delete;

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

private:
    static constexpr int kSettleMilliseconds = 1200;

    std::unique_ptr<TavCommon::TimeDelay> delay_;
};

}  // namespace TavProtocol
