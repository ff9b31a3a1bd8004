#pragma once

#include "Tavelin/Export.h"

#include <cstddef>

namespace Tav {

// Describes one build of the library; NUL-padded texts, layout fixed for hosts.
struct LibraryInfo {
    char LibraryName[256];
    char ShortName[256];
    char Description[512];
    char Company[256];
    char RightsNotice[512];
    char LegalNotice[1024];
    char ProductDescription[1024];
    char Version[256];
    char BuildVersion[256];
    char BumpType[256];
    char BuildNumber[256];
    char Branch[256];
    char BuildUrl[1024];
    char BuildType[256];
    char BuildDate[256];
    char BuildPlatform[256];
    char BuildToolchain[256];
    char Reserved1[256];
    char Reserved2[256];
    char Reserved3[256];
    char ProjectName[256];
    char Commit[256];
    char FullCommit[1024];
    char SourceCommit[1024];
    char BuildDirectory[1024];
    char IsAlphaBuild[256];
    char InformationalVersion[512];
    char Reserved4[256];
};

static_assert(offsetof(LibraryInfo, LibraryName) == 0);
static_assert(offsetof(LibraryInfo, ShortName) == 256);
static_assert(offsetof(LibraryInfo, Description) == 512);
static_assert(offsetof(LibraryInfo, Company) == 1024);
static_assert(offsetof(LibraryInfo, RightsNotice) == 1280);
static_assert(offsetof(LibraryInfo, LegalNotice) == 1792);
static_assert(offsetof(LibraryInfo, ProductDescription) == 2816);
static_assert(offsetof(LibraryInfo, Version) == 3840);
static_assert(offsetof(LibraryInfo, BuildVersion) == 4096);
static_assert(offsetof(LibraryInfo, BumpType) == 4352);
static_assert(offsetof(LibraryInfo, BuildNumber) == 4608);
static_assert(offsetof(LibraryInfo, Branch) == 4864);
static_assert(offsetof(LibraryInfo, BuildUrl) == 5120);
static_assert(offsetof(LibraryInfo, BuildType) == 6144);
static_assert(offsetof(LibraryInfo, BuildDate) == 6400);
static_assert(offsetof(LibraryInfo, BuildPlatform) == 6656);
static_assert(offsetof(LibraryInfo, BuildToolchain) == 6912);
static_assert(offsetof(LibraryInfo, Reserved1) == 7168);
static_assert(offsetof(LibraryInfo, Reserved2) == 7424);
static_assert(offsetof(LibraryInfo, Reserved3) == 7680);
static_assert(offsetof(LibraryInfo, ProjectName) == 7936);
static_assert(offsetof(LibraryInfo, Commit) == 8192);
static_assert(offsetof(LibraryInfo, FullCommit) == 8448);
static_assert(offsetof(LibraryInfo, SourceCommit) == 9472);
static_assert(offsetof(LibraryInfo, BuildDirectory) == 10496);
static_assert(offsetof(LibraryInfo, IsAlphaBuild) == 11520);
static_assert(offsetof(LibraryInfo, InformationalVersion) == 11776);
static_assert(offsetof(LibraryInfo, Reserved4) == 12288);
static_assert(sizeof(LibraryInfo) == 12544);

}  // namespace Tav
