#pragma once

#include "core/Command.h"

namespace TavProtocol {

// Base of the Mfp24 command classes: replies are read 24 bytes at a time.
class Mfp24Command : public Command {
public:
    int ResponsePhraseLength() override { return 24; }
};

}  // namespace TavProtocol
