#include "files/TextFileLoad.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "files/ScopedDescriptor.h"

namespace TavFiles {

TextFileLoad LoadTextFile(const std::string& path, std::size_t limit) {
    using Outcome = TextFileLoad::Outcome;
    TextFileLoad load;
    const ScopedDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat status {};
    if (file.Get() < 0 || ::fstat(file.Get(), &status) != 0) {
        load.outcome = Outcome::CannotOpen;
        return load;
    }
    if (!S_ISREG(status.st_mode)) {
        load.outcome = Outcome::NotRegularFile;
        return load;
    }
    if (static_cast<uint64_t>(status.st_size) > limit) {
        load.outcome = Outcome::TooLarge;
        return load;
    }
    std::string text(static_cast<std::size_t>(status.st_size) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == text.size()) {
            if (text.size() > limit) {
                load.outcome = Outcome::TooLarge;
                return load;
            }
            text.resize(std::min(text.size() * 2, limit + 1));
        }
        const ssize_t count = ::read(file.Get(), text.data() + filled, text.size() - filled);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            load.outcome = Outcome::CannotOpen;
            return load;
        }
        if (count == 0) {
            break;
        }
        filled += static_cast<std::size_t>(count);
    }
    text.resize(filled);
    load.outcome = Outcome::Loaded;
    load.text = std::move(text);
    return load;
}

}  // namespace TavFiles
