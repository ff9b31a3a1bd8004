#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>
#include <memory>
#include <thread>

#include "facade/ProtocolFacade.h"
#include "facade/ProtocolFacadeExports.h"
#include "support/FacadeTestTransport.h"

namespace {

namespace Exports = TavProtocol::Exports;
using TavProtocol::ProtocolFacade;
using TavProtocol::ProtocolHandle;

// Polls until the condition holds; the threads it waits for make progress on their own.
template <typename Condition>
bool Eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A wrapper whose operation meets the facade's "being destroyed" guard returns that as a record:
// the guard's exception never reaches the caller's thread.
TEST(ProtocolExportsThreadedTest, AnOperationRefusedByADestructionIsARecord) {
    auto probe = std::make_shared<TavTest::TransportProbe>();
    std::promise<void> entered;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    probe->onTransmit = [&entered, released] {
        entered.set_value();
        released.wait();
    };
    const TavTest::ScopedProbeTransports transports(probe);
    const TavCommon::ReaderDefinition definition = TavTest::ProbeDefinition();
    const ProtocolHandle handle = Exports::CreateProtocolInstance(definition, 0, nullptr);
    ASSERT_NE(handle, 0U);

    // A holds the facade's lock inside the transport.
    const unsigned char phrase[8] = {0x8E};
    auto running = std::async(std::launch::async, [&] {
        return Exports::Transmit(handle, phrase, sizeof phrase, TavTransport::ReportType::Feature);
    });
    entered.get_future().wait();

    // B has found the facade and waits for its lock.
    const std::shared_ptr<ProtocolFacade> watch = ProtocolFacade::GetInstance(handle);
    const long before = watch.use_count();
    unsigned char bitCount = 0x77;
    auto waiting = std::async(std::launch::async, [&] { return Exports::GetCardBitCount(handle, &bitCount); });
    ASSERT_TRUE(Eventually([&] { return watch.use_count() >= before + 2; }));

    // C unregisters the facade, marks it and waits for the lock too.
    auto destroying = std::async(std::launch::async, [&] { Exports::DestroyProtocolInstance(handle); });
    ASSERT_TRUE(Eventually([&] { return ProtocolFacade::GetInstance(handle) == nullptr; }));
    // The mark follows the unregistering at once; leave it ample time before the lock is freed.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    release.set_value();

    EXPECT_FALSE(running.get().HasException);
    const ProtocolCommandResult refused = waiting.get();
    destroying.get();
    EXPECT_TRUE(refused.HasException);
    EXPECT_STREQ(refused.ExceptionType, "StdRuntimeError");
    EXPECT_STREQ(refused.Message,
                 "Unknown exception occurred within C++ code. This is not an Elvarin exception. Message: "
                 "'ProtocolFacade instance is being destroyed'");
    EXPECT_EQ(bitCount, 0x77);
    EXPECT_EQ(probe->transmitted.size(), 1U) << "the refused operation sent nothing";
}

}  // namespace
