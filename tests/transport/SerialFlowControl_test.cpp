// XON/XOFF flow control takes the bytes 0x11 and 0x13 out of the serial-binary frames; the host
// keeps the mapping it asked for, and is told at init.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "support/ChildProcess.h"

namespace {

TEST(SerialFlowControlTest, SoftwareFlowControlIsWarnedAboutAtInit) {
    const std::string warning =
        "[warning] [TRANSPORT] [SerialTransport] Software flow control (XON/XOFF) is set for the serial binary "
        "protocol: bytes 0x11 and 0x13 of its frames will be taken as flow control and lost.";
    // None, XonXoff, RtsCts, XonXoffRtsCts, DtrDsr, XonXoffDtrDsr.
    for (const int flowControl : {0, 1, 2, 3, 4, 5}) {
        SCOPED_TRACE(flowControl);
        const auto result = TavTest::RunChild(TavTest::TestProgram("serial_flow_probe"), {std::to_string(flowControl)},
                                              {{"TAV_TRANSPORT_LOG_LEVEL", "warn"}});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        const bool software = flowControl % 2 == 1;
        EXPECT_EQ(TavTest::LogLines(result.out),
                  software ? std::vector<std::string>{warning} : std::vector<std::string>{});
    }
}

}  // namespace
