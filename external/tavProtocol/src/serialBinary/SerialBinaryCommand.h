#pragma once

#include "core/Command.h"

namespace TavProtocol {

// Base of the SerialBinary command classes: replies are read 8 bytes at a time.
class SerialBinaryCommand : public Command {
public:
    int ResponsePhraseLength() override { return 8; }
};

}  // namespace TavProtocol
