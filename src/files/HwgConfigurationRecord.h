#pragma once

#include "Tavelin/ReaderConfigurationStruct.h"
#include "common/ExtendedConfiguration.h"

namespace TavCommon {

// One configuration read back from an HWG file.
struct HwgConfigurationRecord {
    TavCommon::ExtendedConfiguration ExtendedConfiguration;
    TavCommon::ReaderConfiguration ReaderConfiguration;
    // Whether the file carried the card-selection lines (CardType, CardPriority) for it: a file
    // of one configuration never does, and a restore then keeps the reader's own selection.
    bool HasCardSelection = false;
};

}  // namespace TavCommon
