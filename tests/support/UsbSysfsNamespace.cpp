#include "support/UsbSysfsNamespace.h"

#include <sched.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace TavTest {

namespace {

int CannotIsolate(const char* step) {
    std::printf("cannot %s: %s\n", step, std::strerror(errno));
    return kCannotIsolate;
}

}  // namespace

int IsolateUsbSysfs(bool devices) {
    if (unshare(CLONE_NEWNS) != 0) {
        return CannotIsolate("unshare the mount namespace");
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return CannotIsolate("make / private");
    }
    if (mount("tmpfs", "/sys/bus", "tmpfs", 0, "mode=0755") != 0) {
        return CannotIsolate("mount tmpfs over /sys/bus");
    }
    if (mount("tmpfs", "/sys/class/hidraw", "tmpfs", 0, "mode=0755") != 0) {
        return CannotIsolate("mount tmpfs over /sys/class/hidraw");
    }
    if (devices && mount("tmpfs", "/sys/devices", "tmpfs", 0, "mode=0755") != 0) {
        return CannotIsolate("mount tmpfs over /sys/devices");
    }
    return 0;
}

}  // namespace TavTest
