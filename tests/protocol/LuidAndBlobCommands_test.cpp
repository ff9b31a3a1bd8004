#include <gtest/gtest.h>

#include <vector>

#include "CommandCases.h"
#include "GetLuidWithFeatureReportProtocol.h"
#include "SetLuidWithFeatureReportProtocol.h"

namespace {

using namespace TavProtocol;
using TavSim::Fault;
using TavTest::FeatureReportBench;
using TavTest::Phrase;

template <typename Command>
Command Executed(Command command, TavTransport::Transport& transport) {
    command.Execute(transport);
    return command;
}

TEST(LuidAndBlobCommandsTest, EachCommandSendsItsPhrasesAndDecodesTheReply) {
    TavTest::RunCommandCases({
        {"LUID: the first word little-endian, the second big-endian",
         [](auto& model) { model.luid = 0x1234; },
         [](auto& transport) {
             const auto command = Executed(GetLuidWithFeatureReportProtocol(), transport);
             command.ValidateResponse();
             EXPECT_EQ(command.GetResult(), (LuidResponseInformation{0x1234, 0x1234}));
         },
         {Phrase({0x8A})}},
        {"set the LUID: two phrases and no reply",
         nullptr,
         [](auto& transport) {
             EXPECT_EQ(Executed(SetLuidWithFeatureReportProtocol(0x1234), transport).ResponsePhraseCount(), 0);
         },
         {Phrase({0x8A}), Phrase({0x00, 0x34, 0x12})}},
    });
}

TEST(LuidAndBlobCommandsTest, SetLuidThenGetLuidRoundTrips) {
    FeatureReportBench bench;
    Executed(SetLuidWithFeatureReportProtocol(0xBEEF), bench.transport);
    EXPECT_EQ(bench.reader.Model()->luid, 0xBEEF);
    EXPECT_EQ(Executed(GetLuidWithFeatureReportProtocol(), bench.transport).GetResult(),
              (LuidResponseInformation{0xBEEF, 0xBEEF}));
}

TEST(LuidAndBlobCommandsTest, EveryCheckFailsWithItsOwnMessage) {
    const char* luid = "GetLuidWithFeatureReportProtocol";
    TavTest::RunFailureCases({
        {"LUID before the exchange",
         nullptr,
         [](auto&) { GetLuidWithFeatureReportProtocol().ValidateResponse(); },
         {"No response received from device. Was this command actually executed?", luid, "ValidateResponse"}},
        {"LUID result before the exchange",
         nullptr,
         [](auto&) { GetLuidWithFeatureReportProtocol().GetResult(); },
         {"Command is not finished. Please complete the command before retrieving the result.", luid, "GetResult"}},
        {"LUID, a reply of 7 bytes",
         [](auto& bench) { bench.FaultOnCommand({0x8A}, Fault::ShortReply(7)); },
         [](auto& transport) { Executed(GetLuidWithFeatureReportProtocol(), transport).GetResult(); },
         {"Invalid response received for GetLuid command.", luid, "GetResult"}},
    });
}

}  // namespace
