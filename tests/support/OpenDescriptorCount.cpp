#include "support/OpenDescriptorCount.h"

#include <dirent.h>

#include <cstdlib>

namespace TavTest {

std::vector<int> OpenDescriptors() {
    std::vector<int> descriptors;
    if (DIR* folder = opendir("/proc/self/fd")) {
        const int own = dirfd(folder);
        while (const dirent* entry = readdir(folder)) {
            char* end = nullptr;
            const long descriptor = std::strtol(entry->d_name, &end, 10);
            if (end != entry->d_name && *end == '\0' && descriptor != own) {
                descriptors.push_back(static_cast<int>(descriptor));
            }
        }
        closedir(folder);
    }
    return descriptors;
}

std::size_t OpenDescriptorCount() { return OpenDescriptors().size(); }

}  // namespace TavTest
