#include "common/DescriptorFileSink.h"

#include <unistd.h>

#include <cerrno>

namespace TavCommon {

DescriptorFileSink::~DescriptorFileSink() { ::close(descriptor_); }

void DescriptorFileSink::sink_it_(const spdlog::details::log_msg& message) {
    spdlog::memory_buf_t line;
    formatter_->format(message, line);
    const char* data = line.data();
    std::size_t left = line.size();
    while (left > 0) {
        const ssize_t written = ::write(descriptor_, data, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            // A full disk loses the line; a logger has no one to tell, and must not stop the host.
            return;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

}  // namespace TavCommon
