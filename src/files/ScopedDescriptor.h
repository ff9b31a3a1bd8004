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

private:
    int descriptor_;
};

}  // namespace TavFiles
