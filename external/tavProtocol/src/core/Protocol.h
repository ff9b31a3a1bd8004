#pragma once

namespace TavTransport {
class Transport;
}

namespace TavProtocol {

class CommandVisitor;

// A reader's wire protocol. It only hands a visitor to the Visit for its own class.
class Protocol {
public:
    virtual ~Protocol() = default;
    virtual void Accept(CommandVisitor& visitor, TavTransport::Transport& transport) = 0;
};

}  // namespace TavProtocol
