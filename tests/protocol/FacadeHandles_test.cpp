// Handles are counter values: a stale handle can never reach the reader opened after it.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "facade/ProtocolFacade.h"
#include "support/FacadeTestTransport.h"

namespace {

using TavProtocol::ProtocolFacade;
using TavProtocol::ProtocolHandle;
using TavTest::ProbeDefinition;

TEST(FacadeHandleTest, AStaleHandleFindsNothingAndClosesNothing) {
    TavTest::ScopedProbeTransports transports;
    const ProtocolHandle first = ProtocolFacade::CreateInstance(ProbeDefinition(), 0, nullptr);
    ASSERT_NE(first, 0U);
    ProtocolFacade::DestroyInstance(first);
    // The second facade is as large as the first and is likely to land at the same address.
    const ProtocolHandle second = ProtocolFacade::CreateInstance(ProbeDefinition(), 0, nullptr);
    ASSERT_NE(second, 0U);

    EXPECT_NE(second, first);
    const std::shared_ptr<ProtocolFacade> facade = ProtocolFacade::GetInstance(second);
    ASSERT_NE(facade, nullptr);
    EXPECT_NE(second, reinterpret_cast<uintptr_t>(facade.get())) << "a handle is never an address";
    EXPECT_EQ(ProtocolFacade::GetInstance(first), nullptr);

    ProtocolFacade::DestroyInstance(first);
    EXPECT_EQ(transports.probe().destroyed, 1) << "the stale handle closed the second reader";
    EXPECT_EQ(ProtocolFacade::GetInstance(second), facade);
    ProtocolFacade::DestroyInstance(second);
    EXPECT_EQ(transports.probe().destroyed, 2);
}

}  // namespace
