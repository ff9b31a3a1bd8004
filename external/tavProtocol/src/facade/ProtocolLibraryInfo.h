#pragma once

#include "Tavelin/LibraryInfo.h"

namespace TavProtocol {

Tav::LibraryInfo& BuildProtocolLibraryInfo(Tav::LibraryInfo& info);

}  // namespace TavProtocol
