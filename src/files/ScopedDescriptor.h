#pragma once

#include <unistd.h>

namespace TavFiles {

// Closes the descriptor it holds, if any (a negative one is none), when it goes.
class ScopedDescriptor {
public:
    explicit ScopedDescriptor(int descriptor) : descriptor_(descriptor) {}
    ~ScopedDescriptor() {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
    }
    ScopedDescriptor(const ScopedDescriptor&) = delete;
    ScopedDescriptor& operator=(const ScopedDescriptor&) = delete;
    int Get() const { return descriptor_; }
    // Closes the one it holds and holds this one instead.
    void Reset(int descriptor) {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
        descriptor_ = descriptor;
    }
    // Hands the descriptor over: it is no longer closed here.
    int Release() {
        const int descriptor = descriptor_;
        descriptor_ = -1;
        return descriptor;
    }

private:
    int descriptor_;
};

}  // namespace TavFiles
