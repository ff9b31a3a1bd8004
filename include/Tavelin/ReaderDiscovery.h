#pragma once

#include "Tavelin/Export.h"

#include <vector>

#include "Tavelin/ReaderDefinition.h"

namespace Tav {

// The USB readers attached now, for hosts that use the classes.
class TAV_API ReaderDiscovery {
public:
    // Lists afresh at every call, in the order of the USB enumeration; throws ReaderException
    // (with the discovery's error as its inner error) rather than return a partial list.
    static std::vector<TavCommon::ReaderDefinition> DiscoverUsbReaders();
};

}  // namespace Tav
