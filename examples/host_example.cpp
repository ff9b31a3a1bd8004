// A minimal host program: links libTavelin and uses only its flat interface.
#include <Tavelin.h>

#include <cstdio>

int main() {
    Tav::LibraryInfo info{};
    Tav_BuildLibraryInfo(&info);
    std::printf("Library Name: %s\n", info.LibraryName);
    std::printf("Version: %s\n", info.Version);
    std::printf("Is Alpha Build: %s\n", info.IsAlphaBuild);
    std::printf("Build Ver: %s\n", info.BuildVersion);
    std::printf("Build Date: %s\n", info.BuildDate);
    std::printf("Build Number: %s\n", info.BuildNumber);
    std::printf("Build Type: %s\n", info.BuildType);
    std::printf("Bump Type: %s\n", info.BumpType);
    std::printf("Informational Version: %s\n", info.InformationalVersion);
    std::printf("Build Platform: %s\n", info.BuildPlatform);
    std::printf("Build Toolchain: %s\n", info.BuildToolchain);
    std::printf("Commit: %s\n", info.Commit);
    std::printf("Branch: %s\n", info.Branch);
    return 0;
}
