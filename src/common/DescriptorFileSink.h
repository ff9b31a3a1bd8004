#pragma once

#include <spdlog/sinks/base_sink.h>

#include <mutex>

namespace TavCommon {

// An spdlog sink that appends formatted lines to a descriptor it owns, so the log file can be
// opened with flags and a mode of our choosing (spdlog's file sinks open by path themselves).
class DescriptorFileSink final : public spdlog::sinks::base_sink<std::mutex> {
public:
    explicit DescriptorFileSink(int descriptor) noexcept : descriptor_(descriptor) {}
    ~DescriptorFileSink() override;

protected:
    void sink_it_(const spdlog::details::log_msg& message) override;
    // Every line is written at once; there is nothing buffered to flush.
    void flush_() override {}

private:
    int descriptor_;
};

}  // namespace TavCommon
