#pragma once

#include "core/Protocol.h"

namespace TavProtocol {

class SerialBinaryProtocol : public Protocol {
public:
    ~SerialBinaryProtocol() override;
    void Accept(CommandVisitor& visitor, TavTransport::Transport& transport) override;
};

}  // namespace TavProtocol
