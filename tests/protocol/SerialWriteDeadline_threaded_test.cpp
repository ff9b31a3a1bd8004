// A serial line that stops taking bytes fails the write within its deadline (the time the bytes
// need at the line's speed plus a second), and a reader closed meanwhile waits only for that. The
// rest of the abandoned frame never goes out: the reader would take it for a stray command.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/ioctl.h>

#include <chrono>
#include <thread>
#include <vector>

#include "facade/ProtocolFacade.h"
#include "sim/PseudoTerminal.h"
#include "sim/SerialDefinition.h"
#include "transport/TransportPayload.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using TavProtocol::ProtocolFacade;
using TavProtocol::ProtocolHandle;

struct StuckLineCase {
    const char* name;
    uint8_t flowControl;
    uint32_t baudRate;
    std::size_t bytes;
    bool readerSendsXoff;
};

TEST(SerialWriteDeadlineTest, AStuckLineFailsTheWriteInTimeAndTheReaderStillCloses) {
    const StuckLineCase cases[] = {
        // Far more than the pseudo-terminal holds, at a speed that would send it in 0.7 s.
        {"other side stops reading", 0, 4'000'000, 256 * 1024, false},
        {"reader sent XOFF", 1, 9600, 8, true},
    };
    for (const StuckLineCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TavTest::PseudoTerminal line;
        TavCommon::ReaderDefinition definition = TavTest::SerialDefinition(line.SlaveName(), c.baudRate);
        definition.SerialPortSettings.FlowControl = c.flowControl;
        const ProtocolHandle handle = ProtocolFacade::CreateInstance(definition, 0, nullptr);
        ASSERT_NE(handle, 0U);
        if (c.readerSendsXoff) {
            line.Write({0x13});
            std::this_thread::sleep_for(100ms);  // the line discipline stops the output a moment later
        }
        // 10 bits a byte (8N1) plus the margin.
        const auto deadline = std::chrono::milliseconds(c.bytes * 10 * 1000 / c.baudRate) + 1s;

        ProtocolCommandResult result{};
        Clock::duration writeTook{};
        const auto start = Clock::now();
        std::thread writing([&] {
            TavTransport::TransportPayload payload{std::vector<uint8_t>(c.bytes, 0x5A), 0,
                                                   TavTransport::ReportType::Feature};
            result = ProtocolFacade::GetInstance(handle)->Transmit(payload);
            writeTook = Clock::now() - start;
        });
        std::this_thread::sleep_for(200ms);
        ProtocolFacade::DestroyInstance(handle);  // waits for the write under way
        const auto destroyTook = Clock::now() - start;
        writing.join();

        EXPECT_TRUE(result.HasException);
        EXPECT_THAT(result.Message, testing::StartsWith("Failed to transmit over serial port. Message: '"));
        EXPECT_THAT(result.Message, testing::HasSubstr("timed out"));
        EXPECT_GE(writeTook, deadline - 50ms);
        EXPECT_LT(writeTook, 10 * deadline);
        EXPECT_LT(destroyTook, 10 * deadline);

        // What had crossed the line before the timeout is the other side's to read; nothing of the
        // abandoned rest may follow it once the other side takes bytes again.
        int crossed = 0;
        ASSERT_EQ(::ioctl(line.MasterFd(), FIONREAD, &crossed), 0);
        if (c.readerSendsXoff) {
            line.Write({0x11});
        }
        EXPECT_EQ(line.Read(300).size(), static_cast<std::size_t>(crossed));
    }
}

}  // namespace
