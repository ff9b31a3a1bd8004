#include "facade/ProtocolFacadeExports.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string_view>
#include <vector>

#include "facade/ProtocolFacade.h"
#include "common/FixedText.h"

namespace TavProtocol {

namespace {

// What the last counting call found; the copying call hands out exactly this list.
std::mutex discoveryCacheMutex;
std::vector<TavCommon::ReaderDefinition> discoveryCache;

// The records of this layer's own argument errors name fixed lines that hosts may match.
constexpr int32_t kNullCountLine = 65;
constexpr int32_t kCountMismatchLine = 80;

constexpr std::string_view kFile = "./external/tavProtocol/src/ProtocolFacadeExports";

}  // namespace

ProtocolCommandResult DiscoverUsbReaders(TavCommon::ReaderDefinition* readers, uint64_t* readerCount,
                                         const std::filesystem::path& sysfsRoot) {
    if (readerCount == nullptr) {
        return MakeInvalidArgumentResult("readerCount pointer cannot be null", kFile, kNullCountLine,
                                         "DiscoverUsbReaders");
    }
    const std::lock_guard lock(discoveryCacheMutex);
    if (readers == nullptr) {
        const ProtocolCommandResult result = ProtocolFacade::DiscoverUsbReaders(discoveryCache, sysfsRoot);
        if (!result.HasException) {
            *readerCount = discoveryCache.size();
        }
        return result;
    }
    if (*readerCount != discoveryCache.size()) {
        return MakeInvalidArgumentResult(
            "Provided readerCount does not match the number of readers. Call DiscoverUsbReaders with readers set to "
            "nullptr to get the required buffer size.",
            kFile, kCountMismatchLine, "DiscoverUsbReaders");
    }
    std::copy(discoveryCache.begin(), discoveryCache.end(), readers);
    ProtocolCommandResult result;
    std::memset(&result, 0, sizeof result);
    return result;
}

}  // namespace TavProtocol
