#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/ChildProcess.h"

namespace {

// The default root, for real: a child in its own mount namespace lays a tree over /sys/bus and
// /sys/class/hidraw and enumerates without naming a root.
TEST(UsbSysfsNamespaceTest, EnumeratesTheRealSysRootWithoutParameter) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to make a mount namespace";
    }
    const auto result = TavTest::RunChild(TavTest::TestProgram("usb_sysfs_namespace"));
    if (result.exitCode == 77) {
        GTEST_SKIP() << result.out;
    }
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;

    std::vector<std::string> lines;
    std::istringstream stream(result.out);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    EXPECT_THAT(lines, ::testing::UnorderedElementsAre("1-7 0c27:3bfa 'Vendor Reader' 'SN-0001' /dev/hidraw90",
                                                       "3-4.1 0abc:1234 '' '' /dev/hidraw91", "2-1 0abc:1234 '' '' "));
}

}  // namespace
