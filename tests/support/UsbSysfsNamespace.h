#pragma once

namespace TavTest {

// The exit code of a test program that could not make its mount namespace or mounts: the test
// that runs it skips.
inline constexpr int kCannotIsolate = 77;

// Moves this process into a private mount namespace and lays empty tmpfs over /sys/bus,
// /sys/class/hidraw and, with devices, /sys/devices, for a fake USB sysfs tree to be built there.
// 0, or kCannotIsolate after printing the step that failed and why.
int IsolateUsbSysfs(bool devices);

}  // namespace TavTest
