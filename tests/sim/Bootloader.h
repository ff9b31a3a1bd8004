#pragma once

#include "sim/PhraseExchange.h"

namespace TavSim {

// The bootloader's handler for every phrase once the reader is in bootloader mode
// (BootloaderCommands.cpp): the bootloader-mode command enters it with PhraseExchange::EnterMode.
void TakeFirmwarePhrase(PhraseExchange& exchange);

}  // namespace TavSim
