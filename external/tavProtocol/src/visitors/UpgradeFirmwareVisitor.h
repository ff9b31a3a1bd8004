#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <string>

#include "common/TimeDelay.h"
#include "core/CommandVisitor.h"

namespace TavProtocol {

// Feeds a firmware image to the reader's bootloader: the record lines of a firmware file, or the
// raw bytes of a stream the caller hands over.
class UpgradeFirmwareVisitor : public CommandVisitor {
public:
    // A null delay leaves the command its own.
    explicit UpgradeFirmwareVisitor(std::unique_ptr<std::istream> input,
                                    std::unique_ptr<TavCommon::TimeDelay> timeDelay = {});
    explicit UpgradeFirmwareVisitor(std::string path, std::unique_ptr<TavCommon::TimeDelay> timeDelay = {});
    ~UpgradeFirmwareVisitor() override;

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

private:
    enum class InputSource : uint32_t { Stream = 0, File = 1 };

    std::unique_ptr<std::istream> input_;
    std::string path_;
    InputSource inputSource_;
    std::unique_ptr<TavCommon::TimeDelay> timeDelay_;
};

}  // namespace TavProtocol
