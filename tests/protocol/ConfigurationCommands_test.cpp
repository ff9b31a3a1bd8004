#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "CommandCases.h"
#include "featureReport/CopyConfigurationWithFeatureReportProtocol.h"
#include "featureReport/GetActiveConfigurationWithFeatureReportProtocol.h"
#include "featureReport/LoadStoredDefaultsWithFeatureReportProtocol.h"
#include "featureReport/SetActiveConfigurationWithFeatureReportProtocol.h"
#include "featureReport/WriteConfigurationWithFeatureReportProtocol.h"

namespace {

using namespace TavProtocol;
using TavSim::Fault;
using TavTest::Executed;
using TavTest::SimulatedFeatureReportReader;
using TavTest::Phrase;

void ExpectInformation(const ActiveConfigurationInformation& information, uint8_t first, uint8_t count, uint16_t word,
                       uint8_t last) {
    EXPECT_EQ(information.FirstValue, first);
    EXPECT_EQ(information.ConfigurationCount, count);
    EXPECT_EQ(information.WordValue, word);
    EXPECT_EQ(information.LastValue, last);
}

void SetUpConfigurations(TavSim::DeviceModel& model) {
    model.activeConfiguration = 1;
    model.configurationCount = 4;
    model.activeConfigurationWord = 0x1234;
    model.activeConfigurationLastByte = 0x07;
}

CopyConfigurationWithFeatureReportProtocol Copy(uint8_t source, uint8_t destination) {
    return CopyConfigurationWithFeatureReportProtocol(ConfigurationLocation{source}, ConfigurationLocation{destination},
                                                      0, 0);
}

TEST(ConfigurationCommandsTest, EachCommandSendsItsPhrasesAndDecodesTheReply) {
    TavTest::RunCommandCases({
        {"active configuration",
         SetUpConfigurations,
         [](auto& transport) {
             const auto command = Executed(GetActiveConfigurationWithFeatureReportProtocol(), transport);
             command.ValidateResponse();
             ExpectInformation(command.GetResult(), 1, 4, 0x1234, 0x07);
         },
         {Phrase({0x89, 0x01})}},
        {"select configuration 2",
         SetUpConfigurations,
         [](auto& transport) {
             const auto command = Executed(SetActiveConfigurationWithFeatureReportProtocol(2), transport);
             command.ValidateResponse();
             ExpectInformation(command.ParseResult(), 2, 4, 0x1234, 0x07);
         },
         {Phrase({0x89, 0x81, 2})}},
        {"copy location 1 to RAM",
         nullptr,
         [](auto& transport) { Executed(Copy(1, 0), transport).ValidateResponse(); },
         {Phrase({0x89, 0x82, 1, 0, 0, 0})}},
        {"copy with the third and fourth bytes",
         nullptr,
         [](auto& transport) {
             Executed(CopyConfigurationWithFeatureReportProtocol(ConfigurationLocation::FactoryDefaults,
                                                                 ConfigurationLocation{2}, 0xAB, 0xCD),
                      transport)
                 .ValidateResponse();
         },
         {Phrase({0x89, 0x82, 3, 2, 0xAB, 0xCD})}},
        {"write configuration reads no reply",
         nullptr,
         [](auto& transport) {
             EXPECT_EQ(Executed(WriteConfigurationWithFeatureReportProtocol(), transport).ResponsePhraseCount(), 0);
         },
         {Phrase({0x90})}},
        {"load stored defaults reads no reply",
         nullptr,
         [](auto& transport) {
             EXPECT_EQ(Executed(LoadStoredDefaultsWithFeatureReportProtocol(), transport).ResponsePhraseCount(), 0);
         },
         {Phrase({0xA0})}},
    });
}

TEST(ConfigurationCommandsTest, SelectionCopyAndCommitReachTheReader) {
    SimulatedFeatureReportReader device;
    Executed(SetActiveConfigurationWithFeatureReportProtocol(3), device.transport);
    Executed(Copy(3, 2), device.transport);
    Executed(WriteConfigurationWithFeatureReportProtocol(), device.transport);
    Executed(LoadStoredDefaultsWithFeatureReportProtocol(), device.transport);
    const auto model = device.reader.Model();
    EXPECT_EQ(model->activeConfiguration, 3);
    EXPECT_EQ(model->configurationCopies, (std::vector<std::array<uint8_t, 4>>{{3, 2, 0, 0}}));
    EXPECT_EQ(model->configurationWrites, 1u);
    EXPECT_EQ(model->storedDefaultsLoads, 1u);
}

TEST(ConfigurationCommandsTest, EveryCheckFailsWithItsOwnMessage) {
    const auto fault = [](std::vector<uint8_t> command, Fault fault) {
        return [command, fault](SimulatedFeatureReportReader& device) { device.FaultOnCommand(command, fault); };
    };
    const auto getActive = [](auto& transport) {
        Executed(GetActiveConfigurationWithFeatureReportProtocol(), transport).ValidateResponse();
    };
    const auto setActive = [](auto& transport) {
        Executed(SetActiveConfigurationWithFeatureReportProtocol(1), transport).ValidateResponse();
    };
    const auto copy = [](auto& transport) { Executed(Copy(1, 2), transport).ValidateResponse(); };
    const char* get = "GetActiveConfigurationWithFeatureReportProtocol";
    const char* set = "SetActiveConfigurationWithFeatureReportProtocol";
    const char* copyClass = "CopyConfigurationWithFeatureReportProtocol";
    const char* copyMismatch = "Response from reader did not match expected response for CopyConfiguration command.";
    TavTest::RunFailureCases({
        {"active configuration before the exchange",
         nullptr,
         [](auto&) { GetActiveConfigurationWithFeatureReportProtocol().ValidateResponse(); },
         {"Response validation of ActiveConfigurationInformation cannot occur until the command is finished.", get,
          "ValidateResponse"}},
        {"active configuration, a reply of 7 bytes",
         fault({0x89, 0x01}, Fault::ShortReply(7)),
         getActive,
         {"Response validation of ActiveConfigurationInformation failed because the command did not receive a "
          "response from the reader.",
          get, "ValidateResponse"}},
        {"active configuration, a wrong echo",
         fault({0x89, 0x01}, Fault::CorruptByte(1, 0x81)),
         getActive,
         {"Invalid response packet received for GetActiveConfiguration command.", get, "ValidateResponse"}},
        {"active configuration read without its check, a reply too short for the last value",
         fault({0x89, 0x01}, Fault::ShortReply(7)),
         [](auto& transport) { Executed(GetActiveConfigurationWithFeatureReportProtocol(), transport).GetResult(); },
         {"Invalid response packet received for GetActiveConfiguration command.", get, "GetResult"}},
        {"selection before the exchange",
         nullptr,
         [](auto&) { SetActiveConfigurationWithFeatureReportProtocol(1).ValidateResponse(); },
         {"Result parsing of ActiveConfigurationInformation cannot occur until the command is finished.", set,
          "ValidateResponse"}},
        {"selection, no reply",
         fault({0x89, 0x81}, Fault::NoReply()),
         setActive,
         {"Result parsing of ActiveConfigurationInformation failed because the command did not receive a response "
          "from the reader.",
          set, "ValidateResponse"}},
        {"selection, a wrong echo",
         fault({0x89, 0x81}, Fault::CorruptByte(1, 0x01)),
         setActive,
         {"Invalid response packet received for SetActiveConfiguration command.", set, "ValidateResponse"}},
        {"selection parsed before the exchange",
         nullptr,
         [](auto&) { SetActiveConfigurationWithFeatureReportProtocol(1).ParseResult(); },
         {"Result parsing of ActiveConfigurationInformation cannot occur because no response was received.", set,
          "ParseResult"}},
        {"selection parsed without its check, a reply too short",
         fault({0x89, 0x81}, Fault::ShortReply(4)),
         [](auto& transport) { Executed(SetActiveConfigurationWithFeatureReportProtocol(1), transport).ParseResult(); },
         {"Invalid response packet received for SetActiveConfiguration command.", set, "ParseResult"}},
        {"copy before the exchange",
         nullptr,
         [](auto&) { Copy(1, 2).ValidateResponse(); },
         {copyMismatch, copyClass, "ValidateResponse"}},
        {"copy, no reply", fault({0x89, 0x82}, Fault::NoReply()), copy, {copyMismatch, copyClass, "ValidateResponse"}},
        {"copy, a short echo",
         fault({0x89, 0x82}, Fault::ShortReply(6)),
         copy,
         {copyMismatch, copyClass, "ValidateResponse"}},
        {"copy, a different echo",
         fault({0x89, 0x82}, Fault::CorruptByte(7, 0x01)),
         copy,
         {copyMismatch, copyClass, "ValidateResponse"}},
    });
}

}  // namespace
