// The flat interface: every function checks its pointers, then runs its work through one
// ExportedCall frame, which turns whatever was thrown into the caller's TavResult.
#include <string>

#include "Tavelin.h"
#include "common/FixedText.h"
#include "common/LibraryInfoBuilder.h"
#include "common/Logger.h"
#include "facade/ProtocolFacadeExports.h"
#include "reader/ExportedCall.h"

// Fetched while the library loads, so the logger reads the environment before any call.
[[maybe_unused]] static const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();

namespace {

using Tav::ExportedCall;

}  // namespace

extern "C" {

TAV_API void Tav_DiscoverUsbReaders(TavResult* result, TavCommon::ReaderDefinition* readers, uint64_t* readerCount) {
    ExportedCall call(result, "Tav_DiscoverUsbReaders");
    if (!call.Require(readerCount, "Called with null readerCount pointer", 970)) {
        return;
    }
    call.Run("Tav_DiscoverUsbReaders", [&] {
        const ProtocolCommandResult discovery = TavProtocol::Exports::DiscoverUsbReaders(readers, readerCount);
        if (discovery.HasException) {
            throw Tav::ReaderException(
                std::string("Failed to discover USB readers: ").append(TavCommon::ReadFixedField(discovery.Message)),
                discovery, ExportedCall::kFile, 984, "operator()");
        }
    });
}

TAV_API Tav::LibraryInfo* Tav_BuildLibraryInfo(Tav::LibraryInfo* info) {
    if (info != nullptr) {
        Tav::BuildReaderLibraryInfo(*info);
    }
    return info;
}
}
