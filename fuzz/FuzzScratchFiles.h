#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace TavFuzz {

// A private folder for the files a harness writes and reads back, removed when the fuzzer exits.
class ScratchFolder {
public:
    static const ScratchFolder& Instance() {
        static const ScratchFolder folder;
        return folder;
    }

    std::string Path(const char* name) const { return path_ + "/" + name; }

    // Replaces the named file with the bytes; aborts when it cannot, since no run would mean anything.
    void Write(const char* name, const uint8_t* data, std::size_t size) const {
        const int descriptor = open(Path(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (descriptor < 0 || (size > 0 && write(descriptor, data, size) != static_cast<ssize_t>(size))) {
            std::abort();
        }
        close(descriptor);
    }

private:
    ScratchFolder() {
        char pattern[] = "/tmp/tavelin-file-fuzz-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            std::abort();
        }
        path_ = pattern;
    }
    ~ScratchFolder() {
        for (const char* name : {"input", "saved"}) {
            unlink(Path(name).c_str());
        }
        rmdir(path_.c_str());
    }

    std::string path_;
};

}  // namespace TavFuzz
