#pragma once

#include "sim/PhraseHandlerTable.h"

namespace TavSim {

// The command tables of the three wire protocols, filled by the command families' registrars.
PhraseHandlerTable& FeatureReportCommands();  // 8-byte binary phrases
PhraseHandlerTable& Mfp24Commands();          // 24-character ASCII phrases
PhraseHandlerTable& SerialBinaryCommands();   // frames of class byte, instruction, parameters

}  // namespace TavSim
