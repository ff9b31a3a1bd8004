#include "support/SimulatedHidrawNode.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "hidraw_interposer/HidrawInterposer.h"
#include "support/FakeHidrawNumbers.h"
#include "support/SanitizerRuntime.h"

extern char** environ;

namespace TavTest {

namespace {

constexpr const char* kReexecutedMarker = "TAV_TEST_REEXECUTED_UNDER_INTERPOSER";

const TavHidrawInterposerApi* Api() {
    using GetApi = const TavHidrawInterposerApi* (*)();
    static const TavHidrawInterposerApi* api = [] {
        const auto get = reinterpret_cast<GetApi>(dlsym(RTLD_DEFAULT, "TavHidrawInterposer_GetApi"));
        return get != nullptr ? get() : nullptr;
    }();
    return api;
}

const TavHidrawInterposerApi& RequireApi() {
    if (Api() == nullptr) {
        throw std::runtime_error("the hidraw interposer is not preloaded");
    }
    return *Api();
}

}  // namespace

bool HidrawInterposerLoaded() { return Api() != nullptr; }

void FailNextHidInit(int count) { RequireApi().failHidInit(count); }

void ReexecuteUnderHidrawInterposer(const std::string& interposerLibrary, const std::vector<std::string>& environment) {
    if (HidrawInterposerLoaded() || std::getenv(kReexecutedMarker) != nullptr) {
        return;
    }
    std::ifstream commandLine("/proc/self/cmdline", std::ios::binary);
    const std::string arguments{std::istreambuf_iterator<char>(commandLine), std::istreambuf_iterator<char>()};
    std::vector<std::string> argv;
    for (std::size_t start = 0; start < arguments.size();) {
        const auto end = arguments.find('\0', start);
        argv.push_back(arguments.substr(start, end - start));
        start = end == std::string::npos ? arguments.size() : end + 1;
    }

    std::string preload = interposerLibrary;
    if (const auto runtime = SanitizerRuntime(); !runtime.empty()) {
        preload = runtime + ":" + preload;
    }
    std::vector<std::string> variables{"LD_PRELOAD=" + preload, std::string(kReexecutedMarker) + "=1"};
    variables.insert(variables.end(), environment.begin(), environment.end());
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string_view existing = *variable;
        const auto name = existing.substr(0, existing.find('=') + 1);
        bool replaced = false;
        for (const auto& added : variables) {
            replaced = replaced || added.starts_with(name);
        }
        if (!replaced) {
            variables.emplace_back(existing);
        }
    }

    std::vector<char*> argvPointers;
    for (auto& argument : argv) {
        argvPointers.push_back(argument.data());
    }
    argvPointers.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& variable : variables) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    execve("/proc/self/exe", argvPointers.data(), envp.data());
    std::fprintf(stderr, "cannot re-execute under the hidraw interposer: %s\n", std::strerror(errno));
}

SimulatedHidrawNode::SimulatedHidrawNode(std::string path, TavSim::FeatureReportFrontEnd& frontEnd, unsigned fileType,
                                         std::optional<dev_t> deviceNumber)
    : path_(std::move(path)), frontEnd_(frontEnd) {
    // A vendor-defined collection with one 8-byte feature report and one 8-byte output report.
    static constexpr uint8_t kDescriptor[] = {
        0x06, 0x00, 0xFF,  // Usage Page (Vendor Defined 0xFF00)
        0x09, 0x01,        // Usage (1)
        0xA1, 0x01,        // Collection (Application)
        0x15, 0x00,        //   Logical Minimum (0)
        0x26, 0xFF, 0x00,  //   Logical Maximum (255)
        0x75, 0x08,        //   Report Size (8)
        0x95, 0x08,        //   Report Count (8)
        0x09, 0x02,        //   Usage (2)
        0xB1, 0x02,        //   Feature (Data, Variable, Absolute)
        0x09, 0x03,        //   Usage (3)
        0x91, 0x02,        //   Output (Data, Variable, Absolute)
        0xC0,              // End Collection
    };
    const TavHidrawNode node{.context = this,
                             .stat = &Stat,
                             .open = &Open,
                             .close = &Close,
                             .setFeature = &SetFeature,
                             .getFeature = &GetFeature,
                             .writeOutput = &WriteOutput,
                             .descriptor = kDescriptor,
                             .descriptorLength = sizeof kDescriptor,
                             .fileType = fileType,
                             .deviceNumber = deviceNumber.value_or(FakeHidrawDeviceNumber(path_))};
    if (RequireApi().addNode(path_.c_str(), &node) != 0) {
        throw std::runtime_error("cannot register simulated node " + path_);
    }
}

SimulatedHidrawNode::~SimulatedHidrawNode() { Api()->removeNode(path_.c_str()); }

void SimulatedHidrawNode::FailOpens(int count, int error) {
    std::lock_guard lock(mutex_);
    failedOpens_ = count;
    openError_ = error;
}

void SimulatedHidrawNode::MissingForStats(int count) {
    std::lock_guard lock(mutex_);
    missingStats_ = count;
}

std::vector<SimulatedHidrawNode::Report> SimulatedHidrawNode::Reports() const {
    std::lock_guard lock(mutex_);
    return reports_;
}

int SimulatedHidrawNode::Opens() const {
    std::lock_guard lock(mutex_);
    return opens_;
}

int SimulatedHidrawNode::Closes() const {
    std::lock_guard lock(mutex_);
    return closes_;
}

void SimulatedHidrawNode::Record(Report::Kind kind, const uint8_t* report, std::size_t length) {
    std::lock_guard lock(mutex_);
    reports_.push_back({kind, {report, report + length}});
}

int SimulatedHidrawNode::Stat(void* context) {
    auto& self = *static_cast<SimulatedHidrawNode*>(context);
    std::lock_guard lock(self.mutex_);
    if (self.missingStats_ > 0) {
        --self.missingStats_;
        return -ENOENT;
    }
    return 0;
}

int SimulatedHidrawNode::Open(void* context) {
    auto& self = *static_cast<SimulatedHidrawNode*>(context);
    {
        std::lock_guard lock(self.mutex_);
        ++self.opens_;
        if (self.failedOpens_ > 0) {
            --self.failedOpens_;
            return -self.openError_;
        }
    }
    // An unplugged reader has no node.
    return self.frontEnd_.DevicePresent() ? 0 : -ENOENT;
}

void SimulatedHidrawNode::Close(void* context) {
    auto& self = *static_cast<SimulatedHidrawNode*>(context);
    std::lock_guard lock(self.mutex_);
    ++self.closes_;
}

// For unnumbered reports the USB HID driver leaves the report id byte off the wire, yet counts it
// in the result.
int SimulatedHidrawNode::SetFeature(void* context, const uint8_t* report, std::size_t length) {
    auto& self = *static_cast<SimulatedHidrawNode*>(context);
    self.Record(Report::SetFeature, report, length);
    if (length == 0) {
        return -EINVAL;
    }
    return self.frontEnd_.SetFeatureReport({report + 1, length - 1}) ? static_cast<int>(length) : -ENODEV;
}

int SimulatedHidrawNode::WriteOutput(void* context, const uint8_t* report, std::size_t length) {
    auto& self = *static_cast<SimulatedHidrawNode*>(context);
    self.Record(Report::Output, report, length);
    if (length == 0) {
        return -EINVAL;
    }
    return self.frontEnd_.WriteOutputReport({report + 1, length - 1}) ? static_cast<int>(length) : -ENODEV;
}

int SimulatedHidrawNode::GetFeature(void* context, uint8_t* report, std::size_t length) {
    auto& self = *static_cast<SimulatedHidrawNode*>(context);
    self.Record(Report::GetFeature, report, length);
    if (length == 0) {
        return -EINVAL;
    }
    const TavSim::FrontEndReply reply = self.frontEnd_.GetFeatureReport(length - 1);
    switch (reply.status) {
    case TavSim::FrontEndReply::Status::DeviceGone:
        return -ENODEV;
    case TavSim::FrontEndReply::Status::NoReply:
        return -ETIMEDOUT;
    case TavSim::FrontEndReply::Status::Replied:
        break;
    }
    const std::size_t count = std::min(reply.bytes.size(), length - 1);
    std::copy_n(reply.bytes.begin(), count, report + 1);
    return static_cast<int>(count + 1);
}

}  // namespace TavTest
