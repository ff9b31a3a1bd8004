#include "sim/CommandTables.h"

namespace TavSim {

// Built on first use, so registrars in other files may run before or after this one.
PhraseHandlerTable& FeatureReportCommands() {
    static PhraseHandlerTable table;
    return table;
}

PhraseHandlerTable& Mfp24Commands() {
    static PhraseHandlerTable table;
    return table;
}

PhraseHandlerTable& SerialBinaryCommands() {
    static PhraseHandlerTable table;
    return table;
}

}  // namespace TavSim
