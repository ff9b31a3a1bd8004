#pragma once

#include <sys/types.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/FeatureReportFrontEnd.h"

namespace TavTest {

// True when the hidraw interposer is preloaded into this process.
bool HidrawInterposerLoaded();

// Makes the next count calls of hid_init fail (through the interposer).
void FailNextHidInit(int count);

// Re-executes this process with the interposer library preloaded (behind a sanitizer runtime, which
// must stay first) and the environment entries added, unless it is loaded already. Called from a
// static initialiser, before any test runs, so that the logger reads the added environment.
void ReexecuteUnderHidrawInterposer(const std::string& interposerLibrary, const std::vector<std::string>& environment);

// The simulated reader as a /dev/hidrawN node, registered with the interposer for the object's
// lifetime. hidapi reaches it through the real open/ioctl/write/close calls; the node hands each
// report to the reader's feature-report front end without its report id, as the USB HID driver
// does, and records every report as hidraw received it (report id first). The reader's faults show
// as the kernel would report them: a gone device as ENODEV, a phrase left unanswered as ETIMEDOUT.
class SimulatedHidrawNode {
public:
    struct Report {
        enum Kind { SetFeature, GetFeature, Output } kind;
        std::vector<uint8_t> bytes;  // what hidapi handed over, report id first
        bool operator==(const Report&) const = default;
    };

    // fileType: what stat says the path is; 0 for the character device a hidraw node is, or an
    // S_IF* type for a node that opens but is not one. deviceNumber: what stat gives as st_rdev;
    // by default the numbers a fake sysfs tree gives a node of that name (FakeHidrawNumbers.h).
    SimulatedHidrawNode(std::string path, TavSim::FeatureReportFrontEnd& frontEnd, unsigned fileType = 0,
                        std::optional<dev_t> deviceNumber = std::nullopt);
    ~SimulatedHidrawNode();
    SimulatedHidrawNode(const SimulatedHidrawNode&) = delete;
    SimulatedHidrawNode& operator=(const SimulatedHidrawNode&) = delete;

    const std::string& Path() const { return path_; }

    // The next count opens fail with the error (a node that is busy or not there yet).
    void FailOpens(int count, int error);
    // The next count stats find no node (udev has not made it yet).
    void MissingForStats(int count);

    std::vector<Report> Reports() const;
    int Opens() const;  // every attempt, refused ones too
    int Closes() const;

private:
    static int Stat(void* context);
    static int Open(void* context);
    static void Close(void* context);
    static int SetFeature(void* context, const uint8_t* report, std::size_t length);
    static int GetFeature(void* context, uint8_t* report, std::size_t length);
    static int WriteOutput(void* context, const uint8_t* report, std::size_t length);

    void Record(Report::Kind kind, const uint8_t* report, std::size_t length);

    std::string path_;
    TavSim::FeatureReportFrontEnd& frontEnd_;
    mutable std::mutex mutex_;
    std::vector<Report> reports_;
    int opens_ = 0;
    int closes_ = 0;
    int failedOpens_ = 0;
    int openError_ = 0;
    int missingStats_ = 0;
};

}  // namespace TavTest
