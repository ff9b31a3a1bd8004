#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/FacadeOnSimulatedReader.h"

namespace TavTest {

// One facade operation that succeeds: the reader it meets, the call (which checks what it copied
// out) and the phrases the reader must have received.
struct FacadeRow {
    std::string operation;
    Wire wire;
    std::function<void(TavSim::DeviceModel&)> setUp;
    std::function<ProtocolCommandResult(const TavProtocol::ProtocolFacade&)> run;
    std::vector<std::vector<uint8_t>> sent;
    std::function<void(TavSim::DeviceModel&)> check = nullptr;
};

inline void RunFacadeRows(const std::vector<FacadeRow>& rows) {
    for (const FacadeRow& row : rows) {
        SCOPED_TRACE(row.operation + " on " + WireName(row.wire));
        FacadeOnSimulatedReader device(row.wire);
        ASSERT_TRUE(device.IsOpen());
        if (row.setUp) {
            row.setUp(*device.Model());
        }
        const ProtocolCommandResult result = row.run(device.Facade());
        EXPECT_FALSE(result.HasException) << result.Message;
        EXPECT_EQ(device.Sent(), row.sent);
        if (row.check) {
            row.check(*device.Model());
        }
    }
}

// One facade operation that fails: the reader's faults, the call (which checks that nothing was
// copied out), and the record's message and source.
struct FacadeFailureRow {
    std::string operation;
    Wire wire;
    std::function<void(SimulatedProtocolReader&)> arrange;
    std::function<ProtocolCommandResult(const TavProtocol::ProtocolFacade&)> run;
    std::string message;
    std::string file;
    bool nothingSent = false;
};

inline void RunFacadeFailureRows(const std::vector<FacadeFailureRow>& rows) {
    for (const FacadeFailureRow& row : rows) {
        SCOPED_TRACE(row.operation + " on " + WireName(row.wire));
        FacadeOnSimulatedReader device(row.wire);
        ASSERT_TRUE(device.IsOpen());
        if (row.arrange) {
            row.arrange(device.Simulator());
        }
        const ProtocolCommandResult result = row.run(device.Facade());
        EXPECT_TRUE(result.HasException);
        EXPECT_STREQ(result.ExceptionType, "ElvarinException");
        EXPECT_EQ(std::string(result.Message), row.message);
        EXPECT_EQ(std::string(result.File), row.file);
        if (row.nothingSent) {
            EXPECT_TRUE(device.Sent().empty());
        }
    }
}

}  // namespace TavTest
