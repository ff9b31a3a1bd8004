#pragma once

#include "core/Protocol.h"

namespace TavProtocol {

class Mfp24Protocol : public Protocol {
public:
    ~Mfp24Protocol() override;
    void Accept(CommandVisitor& visitor, TavTransport::Transport& transport) override;
};

}  // namespace TavProtocol
