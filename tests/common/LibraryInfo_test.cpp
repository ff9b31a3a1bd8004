#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "facade/ProtocolLibraryInfo.h"
#include "Tavelin.h"
#include "common/FixedText.h"
#include "common/LibraryInfoBuilder.h"
#include "support/DigitPattern.h"
#include "support/FixedField.h"

namespace {

using Tav::LibraryInfo;

// Every field of a built record holds its text, NUL-padded to its last byte.
#define TAV_EXPECT_PADDED(info, field) \
    EXPECT_TRUE(TavTest::HoldsPaddedText((info).field, TavCommon::ReadFixedField((info).field))) << #field

void ExpectEveryFieldPadded(const LibraryInfo& info) {
    TAV_EXPECT_PADDED(info, LibraryName);
    TAV_EXPECT_PADDED(info, ShortName);
    TAV_EXPECT_PADDED(info, Description);
    TAV_EXPECT_PADDED(info, Company);
    TAV_EXPECT_PADDED(info, RightsNotice);
    TAV_EXPECT_PADDED(info, LegalNotice);
    TAV_EXPECT_PADDED(info, ProductDescription);
    TAV_EXPECT_PADDED(info, Version);
    TAV_EXPECT_PADDED(info, BuildVersion);
    TAV_EXPECT_PADDED(info, BumpType);
    TAV_EXPECT_PADDED(info, BuildNumber);
    TAV_EXPECT_PADDED(info, Branch);
    TAV_EXPECT_PADDED(info, BuildUrl);
    TAV_EXPECT_PADDED(info, BuildType);
    TAV_EXPECT_PADDED(info, BuildDate);
    TAV_EXPECT_PADDED(info, BuildPlatform);
    TAV_EXPECT_PADDED(info, BuildToolchain);
    TAV_EXPECT_PADDED(info, Reserved1);
    TAV_EXPECT_PADDED(info, Reserved2);
    TAV_EXPECT_PADDED(info, Reserved3);
    TAV_EXPECT_PADDED(info, ProjectName);
    TAV_EXPECT_PADDED(info, Commit);
    TAV_EXPECT_PADDED(info, FullCommit);
    TAV_EXPECT_PADDED(info, SourceCommit);
    TAV_EXPECT_PADDED(info, BuildDirectory);
    TAV_EXPECT_PADDED(info, IsAlphaBuild);
    TAV_EXPECT_PADDED(info, InformationalVersion);
    TAV_EXPECT_PADDED(info, Reserved4);
}

LibraryInfo Garbage() {
    LibraryInfo info;
    std::memset(&info, 0x5A, sizeof info);
    return info;
}

void ExpectCommonTexts(const LibraryInfo& info) {
    EXPECT_STREQ(info.BumpType, "patch");
    EXPECT_STREQ(info.BuildType, "Release");
    EXPECT_STREQ(info.BuildPlatform, "linux");
    EXPECT_STREQ(info.BuildToolchain, "gcc");
    EXPECT_STREQ(info.Reserved1, "Unknown");
    EXPECT_STREQ(info.Reserved4, "Unknown");
    EXPECT_STREQ(info.IsAlphaBuild, "false");
    EXPECT_STREQ(info.BuildVersion, info.Version);
    EXPECT_STREQ(info.FullCommit, info.Commit);
    EXPECT_STREQ(info.SourceCommit, info.Commit);
    EXPECT_STREQ(info.ProductDescription, info.Description);
    EXPECT_TRUE(TavTest::MatchesDigitPattern(info.BuildDate, "####-##-##-##:##:##+0000")) << info.BuildDate;
    // Version is release+build, the informational version release.branch+build.
    const std::string version = info.Version;
    const auto plus = version.find('+');
    ASSERT_NE(plus, std::string::npos) << version;
    EXPECT_EQ(version.substr(plus + 1), info.BuildNumber);
    EXPECT_EQ(std::string(info.InformationalVersion),
              version.substr(0, plus) + "." + info.Branch + "+" + info.BuildNumber);
}

TEST(LibraryInfoTest, ReaderAndProtocolRecords) {
    LibraryInfo reader = Garbage();
    EXPECT_EQ(&Tav::BuildReaderLibraryInfo(reader), &reader);
    ExpectEveryFieldPadded(reader);
    ExpectCommonTexts(reader);
    EXPECT_STREQ(reader.LibraryName, "Tavelin Library");
    EXPECT_STREQ(reader.ShortName, "TAV Reader");

    LibraryInfo protocol = Garbage();
    TavProtocol::BuildProtocolLibraryInfo(protocol);
    ExpectEveryFieldPadded(protocol);
    ExpectCommonTexts(protocol);
    EXPECT_STREQ(protocol.LibraryName, "Tavelin Protocol Library");
    EXPECT_STREQ(protocol.ShortName, "TAV Protocol");
    EXPECT_STRNE(protocol.Description, reader.Description);
    EXPECT_STREQ(protocol.Commit, reader.Commit);
}

// The host's way in: the plain C name, looked up in the shared library itself.
TEST(LibraryInfoTest, BuiltThroughTheSharedLibrary) {
    void* library = dlopen(TAV_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    using Build = LibraryInfo* (*)(LibraryInfo*);
    const auto build = reinterpret_cast<Build>(dlsym(library, "Tav_BuildLibraryInfo"));
    ASSERT_NE(build, nullptr) << dlerror();

    LibraryInfo info = Garbage();
    EXPECT_EQ(build(&info), &info);
    ExpectEveryFieldPadded(info);
    EXPECT_STREQ(info.LibraryName, "Tavelin Library");
    EXPECT_EQ(build(nullptr), nullptr);
}

}  // namespace
