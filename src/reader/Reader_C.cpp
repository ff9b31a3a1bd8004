#include "Tavelin.h"
#include "common/LibraryInfoBuilder.h"

extern "C" {

TAV_API Tav::LibraryInfo* Tav_BuildLibraryInfo(Tav::LibraryInfo* info) {
    if (info != nullptr) {
        Tav::BuildReaderLibraryInfo(*info);
    }
    return info;
}

}
