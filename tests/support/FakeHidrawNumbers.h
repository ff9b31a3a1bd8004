#pragma once

#include <sys/sysmacros.h>
#include <sys/types.h>

#include <cctype>
#include <string>
#include <string_view>

namespace TavTest {

// The device numbers a fake hidraw node has, alike in the fake sysfs tree and behind the hidraw
// interposer: the major hidraw usually gets, and the number in the node's name as minor
// ("/dev/hidraw90" and "hidraw90" -> 241:90).
constexpr unsigned kFakeHidrawMajor = 241;

inline unsigned FakeHidrawMinor(std::string_view nameOrPath) {
    std::size_t start = nameOrPath.size();
    while (start > 0 && std::isdigit(static_cast<unsigned char>(nameOrPath[start - 1])) != 0) {
        --start;
    }
    return start == nameOrPath.size() ? 0U : static_cast<unsigned>(std::stoul(std::string(nameOrPath.substr(start))));
}

inline dev_t FakeHidrawDeviceNumber(std::string_view nameOrPath) {
    return makedev(kFakeHidrawMajor, FakeHidrawMinor(nameOrPath));
}

}  // namespace TavTest
