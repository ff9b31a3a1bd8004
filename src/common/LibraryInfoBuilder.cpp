#include "common/LibraryInfoBuilder.h"

#include <fmt/format.h>

#include <cstring>

#include "BuildInfo.h"
#include "common/FixedText.h"

namespace TavCommon {

Tav::LibraryInfo& FillLibraryInfo(Tav::LibraryInfo& info, const LibraryIdentity& identity) {
    std::memset(&info, 0, sizeof info);
    CopyToFixedField(info.LibraryName, identity.libraryName);
    CopyToFixedField(info.ShortName, identity.shortName);
    CopyToFixedField(info.Description, identity.description);
    CopyToFixedField(info.Company, "Tavelin Systems");
    CopyToFixedField(info.RightsNotice, "Copyright (c) 2026 Tavelin Systems. All rights reserved.");
    CopyToFixedField(info.LegalNotice,
                     "This software is proprietary to Tavelin Systems and is licensed, not sold; use, copying and "
                     "distribution are governed by the license agreement that accompanies it.");
    CopyToFixedField(info.ProductDescription, identity.description);
    CopyToFixedField(info.Version, TAV_VERSION);
    CopyToFixedField(info.BuildVersion, TAV_VERSION);
    CopyToFixedField(info.BumpType, "patch");
    CopyToFixedField(info.BuildNumber, TAV_BUILD_NUMBER);
    CopyToFixedField(info.Branch, TAV_BRANCH);
    CopyToFixedField(info.BuildUrl, "local");
    CopyToFixedField(info.BuildType, "Release");
    CopyToFixedField(info.BuildDate, TAV_BUILD_DATE);
    CopyToFixedField(info.BuildPlatform, "linux");
    CopyToFixedField(info.BuildToolchain, "gcc");
    CopyToFixedField(info.Reserved1, "Unknown");
    CopyToFixedField(info.Reserved2, "Unknown");
    CopyToFixedField(info.Reserved3, "Unknown");
    CopyToFixedField(info.ProjectName, TAV_PROJECT_NAME);
    CopyToFixedField(info.Commit, TAV_COMMIT);
    CopyToFixedField(info.FullCommit, TAV_COMMIT);
    CopyToFixedField(info.SourceCommit, TAV_COMMIT);
    CopyToFixedField(info.BuildDirectory, TAV_BUILD_DIRECTORY);
    CopyToFixedField(info.IsAlphaBuild, "false");
    CopyToFixedField(info.InformationalVersion, TAV_RELEASE_VERSION "." TAV_BRANCH "+" TAV_BUILD_NUMBER);
    CopyToFixedField(info.Reserved4, "Unknown");
    return info;
}

std::string FormatLibraryInfo(const Tav::LibraryInfo& info) {
    return fmt::format(
        "Library Name: {}\nVersion: {}\nIs Alpha Build: {}\nBuild Ver: {}\nBuild Date: {}\nBuild Number: {}\n"
        "Build Type: {}\nBump Type: {}\nInformational Version: {}\nBuild Platform: {}\nBuild Toolchain: {}\n"
        "Commit: {}\nBranch: {}",
        ReadFixedField(info.LibraryName), ReadFixedField(info.Version), ReadFixedField(info.IsAlphaBuild),
        ReadFixedField(info.BuildVersion), ReadFixedField(info.BuildDate), ReadFixedField(info.BuildNumber),
        ReadFixedField(info.BuildType), ReadFixedField(info.BumpType), ReadFixedField(info.InformationalVersion),
        ReadFixedField(info.BuildPlatform), ReadFixedField(info.BuildToolchain), ReadFixedField(info.Commit),
        ReadFixedField(info.Branch));
}

}  // namespace TavCommon

namespace Tav {

Tav::LibraryInfo& BuildReaderLibraryInfo(Tav::LibraryInfo& info) {
    return TavCommon::FillLibraryInfo(info, {"Tavelin Library", "TAV Reader",
                                             "Tavelin Library: the host interface to Tavelin desktop card readers."});
}

}  // namespace Tav
