#include <Tavelin.h>

#include <cstdio>

int main() {
    Tav::LibraryInfo info{};
    std::printf("%s\n", Tav_BuildLibraryInfo(&info)->LibraryName);
    return 0;
}
