#pragma once

#include <cstdint>
#include <filesystem>

#include "Tavelin/ProtocolCommandResult.h"
#include "Tavelin/ReaderDefinition.h"
#include "transport/UsbSysfs.h"

namespace TavProtocol {

// The host's two-call discovery over a cached list. With readers null it lists the USB readers,
// caches them and stores their number in *readerCount; otherwise it copies the cached list into
// readers, provided *readerCount is its size.
ProtocolCommandResult DiscoverUsbReaders(TavCommon::ReaderDefinition* readers, uint64_t* readerCount,
                                         const std::filesystem::path& sysfsRoot = TavTransport::UsbSysfs::kDefaultRoot);

}  // namespace TavProtocol
