#include "Tavelin.h"
#include "common/LibraryInfoBuilder.h"
#include "common/Logger.h"

// Fetched while the library loads, so the logger reads the environment before any call.
[[maybe_unused]] static const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();

extern "C" {

TAV_API Tav::LibraryInfo* Tav_BuildLibraryInfo(Tav::LibraryInfo* info) {
    if (info != nullptr) {
        Tav::BuildReaderLibraryInfo(*info);
    }
    return info;
}
}
