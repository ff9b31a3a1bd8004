#pragma once

#include <string>

#include "Tavelin/LibraryInfo.h"

namespace TavCommon {

// The texts by which the reader library and the protocol library describe themselves.
struct LibraryIdentity {
    const char* libraryName;
    const char* shortName;
    const char* description;
};

// Zeroes the record and fills it with this build's facts under the given identity.
Tav::LibraryInfo& FillLibraryInfo(Tav::LibraryInfo& info, const LibraryIdentity& identity);

// The record as the libraries' text form gives it: thirteen labelled lines, the last without a
// line end.
std::string FormatLibraryInfo(const Tav::LibraryInfo& info);

}  // namespace TavCommon

namespace Tav {

Tav::LibraryInfo& BuildReaderLibraryInfo(Tav::LibraryInfo& info);

}  // namespace Tav
