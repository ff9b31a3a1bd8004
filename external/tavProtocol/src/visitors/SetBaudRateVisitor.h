#pragma once

#include "core/CommandVisitor.h"
#include "records/SerialReaderBaudRate.h"

namespace TavProtocol {

// Changes a serial reader's line speed (codes 0 to 4). The host's own port keeps the speed it was
// opened with: the caller reopens the reader at the new speed.
class SetBaudRateVisitor : public CommandVisitor {
public:
    explicit SetBaudRateVisitor(SerialReaderBaudRate baudRate) : baudRate_(baudRate) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

private:
    SerialReaderBaudRate baudRate_;
};

}  // namespace TavProtocol
