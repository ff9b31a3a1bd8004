#include "support/OpenDescriptorCount.h"

#include <dirent.h>

namespace TavTest {

std::size_t OpenDescriptorCount() {
    std::size_t count = 0;
    if (DIR* folder = opendir("/proc/self/fd")) {
        while (readdir(folder) != nullptr) {
            ++count;
        }
        closedir(folder);
    }
    return count;
}

}  // namespace TavTest
