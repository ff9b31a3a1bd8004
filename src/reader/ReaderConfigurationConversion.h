#pragma once

#include "Tavelin/ReaderConfigurationStruct.h"
#include "common/ReaderConfiguration.h"

namespace Tav {

// Between the flat configuration record that hosts and configuration files use and the five
// configuration blocks a reader stores.
class ReaderConfigurationConversion {
public:
    // The record rebuilt field by field through its setters, so a value its field cannot hold is
    // refused (ElvarinException) rather than cut to the block's bits. Flags become 0 or 1; the
    // characters go through the adders, and counts that claim more than the three character slots
    // are refused before any character is read.
    static TavCommon::ReaderConfiguration Validated(const TavCommon::ReaderConfiguration& configuration);

    // The blocks to write: strip counts split between blocks 1 and 4, times in the blocks' units,
    // the reader-capability members of block 2 and UxLed as 0 (the reader's own values go there),
    // every member no field feeds at its default. Validates first.
    static TavProtocol::ReaderConfiguration ToBlocks(const TavCommon::ReaderConfiguration& configuration);

    // Adds what the blocks hold to the configuration through its setters: fields the blocks do not
    // carry (UxLed, LegacyBitStreamTimeOutMs) keep their values, and the characters are added to
    // those already present, so callers pass a zeroed configuration.
    static void FromBlocks(const TavProtocol::ReaderConfiguration& blocks, TavCommon::ReaderConfiguration& configuration);
};

}  // namespace Tav
