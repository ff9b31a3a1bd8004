#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "VisitorBench.h"
#include "facade/ProtocolFacade.h"
#include "support/ScopedTimeDelayOverride.h"
#include "support/SimulatedFacade.h"

namespace TavTest {

// A facade opened on a simulated reader of one wire protocol; every wait the facade's commands ask
// for is recorded instead of slept.
class FacadeBench {
public:
    explicit FacadeBench(Wire wire) : reader_(wire), facade_(reader_.FrontEnd(), static_cast<uint8_t>(wire)) {}

    const TavProtocol::ProtocolFacade& Facade() const { return *facade_.operator->(); }
    bool IsOpen() const { return facade_.IsOpen(); }
    VisitorBench& Reader() { return reader_; }
    TavSim::SimulatedReader::ModelAccess Model() { return reader_.Reader().Model(); }
    std::vector<std::vector<uint8_t>> Sent() const { return reader_.Sent(); }
    const Timeline& Waits() const { return delays_.Log(); }

private:
    ScopedTimeDelayOverride delays_;
    VisitorBench reader_;
    SimulatedFacade facade_;
};

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
        FacadeBench bench(row.wire);
        ASSERT_TRUE(bench.IsOpen());
        if (row.setUp) {
            row.setUp(*bench.Model());
        }
        const ProtocolCommandResult result = row.run(bench.Facade());
        EXPECT_FALSE(result.HasException) << result.Message;
        EXPECT_EQ(bench.Sent(), row.sent);
        if (row.check) {
            row.check(*bench.Model());
        }
    }
}

// One facade operation that fails: the reader's faults, the call (which checks that nothing was
// copied out), and the record's message and source.
struct FacadeFailureRow {
    std::string operation;
    Wire wire;
    std::function<void(VisitorBench&)> arrange;
    std::function<ProtocolCommandResult(const TavProtocol::ProtocolFacade&)> run;
    std::string message;
    std::string file;
    bool nothingSent = false;
};

inline void RunFacadeFailureRows(const std::vector<FacadeFailureRow>& rows) {
    for (const FacadeFailureRow& row : rows) {
        SCOPED_TRACE(row.operation + " on " + WireName(row.wire));
        FacadeBench bench(row.wire);
        ASSERT_TRUE(bench.IsOpen());
        if (row.arrange) {
            row.arrange(bench.Reader());
        }
        const ProtocolCommandResult result = row.run(bench.Facade());
        EXPECT_TRUE(result.HasException);
        EXPECT_STREQ(result.ExceptionType, "ElvarinException");
        EXPECT_EQ(std::string(result.Message), row.message);
        EXPECT_EQ(std::string(result.File), row.file);
        if (row.nothingSent) {
            EXPECT_TRUE(bench.Sent().empty());
        }
    }
}

}  // namespace TavTest
