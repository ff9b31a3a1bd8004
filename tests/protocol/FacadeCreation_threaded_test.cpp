// Readers open side by side: one still retrying its connection holds up no other creation.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "facade/ProtocolFacade.h"
#include "sim/PseudoTerminal.h"
#include "sim/SerialDefinition.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using TavProtocol::ProtocolFacade;
using TavProtocol::ProtocolHandle;

TEST(FacadeCreationThreadedTest, AReaderRetryingItsConnectionHoldsUpNoOtherCreation) {
    // No such USB reader: one attempt and four retries, 500 ms apart.
    TavCommon::ReaderDefinition missing{};
    missing.VendorId = 0x0ABC;
    missing.ProductId = 0x1234;
    missing.ProtocolType = 1;
    ProtocolHandle missingHandle = 1;
    Clock::duration retriesTook{};
    const auto start = Clock::now();
    std::thread retrying([&] {
        missingHandle = ProtocolFacade::CreateInstance(missing, 4, nullptr);
        retriesTook = Clock::now() - start;
    });
    std::this_thread::sleep_for(200ms);  // well into the pauses between attempts

    const TavTest::PseudoTerminal line;
    const auto serialStart = Clock::now();
    const ProtocolHandle serial =
        ProtocolFacade::CreateInstance(TavTest::SerialDefinition(line.SlaveName()), 0, nullptr);
    const auto serialTook = Clock::now() - serialStart;
    retrying.join();

    EXPECT_NE(serial, 0U);
    // Begun 200 ms into the retries, a creation that waited for them would take nearly as long.
    EXPECT_LT(serialTook, retriesTook / 2) << "the serial reader waited for the USB reader's retries";
    EXPECT_EQ(missingHandle, 0U);
    EXPECT_GE(retriesTook, 2500ms);
    ProtocolFacade::DestroyInstance(serial);
}

}  // namespace
