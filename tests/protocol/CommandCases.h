#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/SimulatedFeatureReportReader.h"

namespace TavTest {

// One command against the simulated reader: the model it meets, the run (which checks the
// decoded result itself) and the phrases the reader must have received.
struct CommandCase {
    std::string name;
    std::function<void(TavSim::DeviceModel&)> setUp;
    std::function<void(TavTransport::Transport&)> run;
    std::vector<std::vector<uint8_t>> sent;
};

// One check that must fail: the reader's model and faults, the run, the exact failure.
struct FailureCase {
    std::string name;
    std::function<void(SimulatedFeatureReportReader&)> arrange;
    std::function<void(TavTransport::Transport&)> run;
    ProtocolFailure expected;
};

inline void RunCommandCases(const std::vector<CommandCase>& cases) {
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        SimulatedFeatureReportReader device;
        if (testCase.setUp) {
            testCase.setUp(*device.reader.Model());
        }
        testCase.run(device.transport);
        EXPECT_EQ(device.Sent(), testCase.sent);
    }
}

inline void RunFailureCases(const std::vector<FailureCase>& cases) {
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        SimulatedFeatureReportReader device;
        if (testCase.arrange) {
            testCase.arrange(device);
        }
        ExpectProtocolFailure([&] { testCase.run(device.transport); }, testCase.expected);
    }
}

}  // namespace TavTest
