// Runs a program in a private mount namespace over a fake USB sysfs tree: tmpfs over /sys/bus,
// /sys/class/hidraw and /sys/devices, the given devices in it, and the given libraries preloaded (behind a sanitizer
// runtime, which must come first). Exit code 77: the namespace or the mounts could not be made.
//
//   sysfs_namespace_exec [--device name:vid:pid:serial:hidrawN]... [--preload lib]... [--env K=V]...
//                        -- program [arguments]
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "support/FakeSysfsTree.h"
#include "support/SanitizerRuntime.h"
#include "support/UsbSysfsNamespace.h"

extern char** environ;

namespace {

TavTest::FakeUsbDevice ParseDevice(const std::string& text) {
    std::vector<std::string> parts;
    std::istringstream fields(text);
    for (std::string part; std::getline(fields, part, ':');) {
        parts.push_back(part);
    }
    if (parts.size() != 5) {
        throw std::invalid_argument("--device takes name:vid:pid:serial:hidrawN, not " + text);
    }
    TavTest::FakeUsbDevice device = TavTest::FakeSysfsTree::Device(parts[0], {parts[4]});
    device.idVendor = parts[1];
    device.idProduct = parts[2];
    device.serial = parts[3];
    device.manufacturer = "Simulated";
    device.product = "Reader";
    return device;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> devices;
    std::string preload = TavTest::SanitizerRuntime();
    std::vector<std::string> environment;
    int program = 1;
    for (; program < argc && std::strcmp(argv[program], "--") != 0; program += 2) {
        if (program + 1 >= argc) {
            std::fprintf(stderr, "option %s needs a value\n", argv[program]);
            return 2;
        }
        const std::string option = argv[program];
        const std::string value = argv[program + 1];
        if (option == "--device") {
            devices.push_back(value);
        } else if (option == "--preload") {
            preload += (preload.empty() ? "" : ":") + value;
        } else if (option == "--env") {
            environment.push_back(value);
        } else {
            std::fprintf(stderr, "unknown option %s\n", option.c_str());
            return 2;
        }
    }
    if (program + 1 >= argc) {
        std::fprintf(stderr, "usage: %s [options] -- program [arguments]\n", argv[0]);
        return 2;
    }

    // libudev follows a device only into /sys/devices.
    if (const int failed = TavTest::IsolateUsbSysfs(true); failed != 0) {
        return failed;
    }
    try {
        TavTest::FakeSysfsTree tree("/sys");
        for (const auto& device : devices) {
            tree.AddUsbDevice(ParseDevice(device));
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "cannot build the sysfs tree: %s\n", error.what());
        return 1;
    }

    std::vector<std::string> variables;
    if (!preload.empty()) {
        variables.push_back("LD_PRELOAD=" + preload);
    }
    variables.insert(variables.end(), environment.begin(), environment.end());
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (!std::string_view(*variable).starts_with("LD_PRELOAD=")) {
            variables.emplace_back(*variable);
        }
    }
    std::vector<char*> envp;
    for (auto& variable : variables) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    execve(argv[program + 1], argv + program + 1, envp.data());
    std::fprintf(stderr, "cannot run %s: %s\n", argv[program + 1], std::strerror(errno));
    return 1;
}
