#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace TavTest {

// True when the hidraw interposer is preloaded into this process.
bool HidrawInterposerLoaded();

// Makes the next count calls of hid_init fail (through the interposer).
void FailNextHidInit(int count);

// Re-executes this process with the interposer library preloaded (behind a sanitizer runtime, which
// must stay first) and the environment entries added, unless it is loaded already. Called from a
// static initialiser, before any test runs, so that the logger reads the added environment.
void ReexecuteUnderHidrawInterposer(const std::string& interposerLibrary, const std::vector<std::string>& environment);

// A simulated /dev/hidrawN node, registered with the interposer for the object's lifetime. hidapi
// reaches it through the real open/ioctl/write/close calls; the node records every report as hidraw
// received it (report id first) and answers feature-report reads from its reply source. Faults are
// set per operation as the errno the kernel would return.
class SimulatedHidrawNode {
public:
    // A phrase as the device receives it (report id removed), and the reply of the asked length.
    using PhraseSink = std::function<void(std::span<const uint8_t> phrase)>;
    using ReplySource = std::function<std::vector<uint8_t>(std::size_t length)>;

    struct Report {
        enum Kind { SetFeature, GetFeature, Output } kind;
        std::vector<uint8_t> bytes;  // what hidapi handed over, report id first
        bool operator==(const Report&) const = default;
    };

    SimulatedHidrawNode(std::string path, PhraseSink onPhrase, ReplySource reply);
    ~SimulatedHidrawNode();
    SimulatedHidrawNode(const SimulatedHidrawNode&) = delete;
    SimulatedHidrawNode& operator=(const SimulatedHidrawNode&) = delete;

    const std::string& Path() const { return path_; }

    void FailOpens(int count, int error);  // the next count opens
    void FailSetFeature(int error);        // every later one, 0 to stop
    void FailGetFeature(int error);
    void FailOutput(int error);

    std::vector<Report> Reports() const;
    int Opens() const;  // every attempt, refused ones too
    int Closes() const;

private:
    static int Open(void* context);
    static void Close(void* context);
    static int SetFeature(void* context, const uint8_t* report, std::size_t length);
    static int GetFeature(void* context, uint8_t* report, std::size_t length);
    static int WriteOutput(void* context, const uint8_t* report, std::size_t length);

    std::string path_;
    PhraseSink onPhrase_;
    ReplySource reply_;
    mutable std::mutex mutex_;
    std::vector<Report> reports_;
    int opens_ = 0;
    int closes_ = 0;
    int failedOpens_ = 0;
    int openError_ = 0;
    int setFeatureError_ = 0;
    int getFeatureError_ = 0;
    int outputError_ = 0;
};

}  // namespace TavTest
