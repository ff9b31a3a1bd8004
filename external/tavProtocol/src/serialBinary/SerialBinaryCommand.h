#pragma once

#include "core/Command.h"

namespace TavProtocol {

// Base of the SerialBinary command classes. A serial reply is whatever arrives before the line
// goes quiet (the serial transport's receive window) and has the reply's own length; the serial
// transport ignores the length asked for here. Each command checks the length of what came back.
class SerialBinaryCommand : public Command {
public:
    int ResponsePhraseLength() override { return 8; }
};

}  // namespace TavProtocol
