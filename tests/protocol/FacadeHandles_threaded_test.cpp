// A facade looked up on one thread and destroyed on another: the lookup keeps the object, so the
// operation after it is refused instead of reaching freed memory (AddressSanitizer shows it).
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "facade/ProtocolFacade.h"
#include "support/FacadeTestTransport.h"

namespace {

using TavProtocol::ProtocolFacade;
using TavProtocol::ProtocolHandle;
using TavTest::ProbeDefinition;

// What an operation on a looked-up facade ends in: success, or the refusal of a destroyed one.
std::string Transmit(const std::shared_ptr<ProtocolFacade>& facade) {
    TavTransport::TransportPayload payload{{0x8E}, 1, TavTransport::ReportType::Feature};
    try {
        const ProtocolCommandResult result = facade->Transmit(payload);
        return result.HasException ? result.Message : "done";
    } catch (const std::runtime_error& error) {
        return error.what();
    }
}

TEST(FacadeHandleThreadedTest, DestroyedWhileLookedUpTheOperationIsRefused) {
    const TavTest::ScopedProbeTransports transports;
    const ProtocolHandle handle = ProtocolFacade::CreateInstance(ProbeDefinition(), 0, nullptr);
    ASSERT_NE(handle, 0U);
    const std::shared_ptr<ProtocolFacade> facade = ProtocolFacade::GetInstance(handle);
    ASSERT_NE(facade, nullptr);
    std::thread([handle] { ProtocolFacade::DestroyInstance(handle); }).join();

    EXPECT_EQ(Transmit(facade), "ProtocolFacade instance is being destroyed");
    EXPECT_EQ(transports.probe().destroyed, 1);
}

TEST(FacadeHandleThreadedTest, LookupsRacingADestroyEndInSuccessOrRefusal) {
    const TavTest::ScopedProbeTransports transports;
    for (int round = 0; round < 200; ++round) {
        const ProtocolHandle handle = ProtocolFacade::CreateInstance(ProbeDefinition(), 0, nullptr);
        ASSERT_NE(handle, 0U);
        std::atomic<bool> go{false};
        std::string outcome = "not found";
        std::thread user([&] {
            while (!go.load()) {
            }
            if (const std::shared_ptr<ProtocolFacade> facade = ProtocolFacade::GetInstance(handle)) {
                outcome = Transmit(facade);
            }
        });
        std::thread destroyer([&] {
            while (!go.load()) {
            }
            ProtocolFacade::DestroyInstance(handle);
        });
        go.store(true);
        user.join();
        destroyer.join();
        EXPECT_TRUE(outcome == "done" || outcome == "not found" ||
                    outcome == "ProtocolFacade instance is being destroyed")
            << outcome;
    }
    EXPECT_EQ(transports.probe().destroyed, 200);
}

}  // namespace
