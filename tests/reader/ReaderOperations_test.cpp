#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Tavelin/CapabilityRule.h"
#include "Tavelin/ReaderCapabilityProfile.h"
#include "Tavelin/ReaderException.h"
#include "reader/ReaderOnSimulator.h"

namespace {

using TavTest::ReaderOnSimulator;
using TavTest::Wire;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Bytes = std::vector<uint8_t>;
using TavTest::Phrase;
using TavTest::Refusal;
using enum Tav::ReaderCapability;

class NeverRule : public Tav::CapabilityRule {
public:
    using CapabilityRule::CapabilityRule;
    bool Evaluate() const override { return false; }
};

struct RefusalCase {
    const char* operation;
    Tav::ReaderCapability capability;
    std::function<void(Tav::Reader&)> call;
};

const RefusalCase kRefusals[] = {
    {"GetQueuedCardData", READER_CAPABILITY_QUEUED_CARD_DATA,
     [](Tav::Reader& r) {
         TavProtocol::QueuedIdInformation information{};
         r.GetQueuedCardData(TavProtocol::QueuedIdFlagParameters{}, information);
     }},
    {"GetTransparentModeStatus", READER_CAPABILITY_TRANSPARENT_MODE,
     [](Tav::Reader& r) {
         TavProtocol::TransparentModeState state{};
         TavProtocol::TransparentModeStatus status{};
         r.GetTransparentModeStatus(state, status);
     }},
    {"SetLuid", READER_CAPABILITY_LUID, [](Tav::Reader& r) { r.SetLuid(7); }},
    {"GetLuid", READER_CAPABILITY_LUID,
     [](Tav::Reader& r) {
         TavProtocol::LuidResponseInformation information{};
         r.GetLuid(information);
     }},
    {"EnableKeystroking", READER_CAPABILITY_KEYSTROKING, [](Tav::Reader& r) { r.EnableKeystroking(true); }},
    {"SetLedConfiguration", READER_CAPABILITY_LED_CONFIGURATION,
     [](Tav::Reader& r) { r.SetLedConfiguration(0, Tav::LedConfiguration{2, 1}); }},
    {"GetLedConfiguration", READER_CAPABILITY_LED_CONFIGURATION,
     [](Tav::Reader& r) {
         Tav::LedConfiguration led{};
         r.GetLedConfiguration(0, led);
     }},
    {"ConfigureBaudRate", READER_CAPABILITY_BAUD_RATE,
     [](Tav::Reader& r) { r.ConfigureBaudRate(TavCommon::SerialPortBaudRate::Baud9600); }},
    {"WriteUserDefaultsToReader", READER_CAPABILITY_CONFIGURABLE, [](Tav::Reader& r) { r.WriteUserDefaultsToReader(); }},
    {"ResetReaderConfiguration", READER_CAPABILITY_CONFIGURABLE,
     [](Tav::Reader& r) { r.ResetReaderConfiguration(Tav::CheckpointType::StoredDefaults); }},
};

class CapabilityRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(CapabilityRefusal, NamesTheOperationAndTheMissingCapabilityBeforeAnyExchange) {
    const RefusalCase& c = GetParam();
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Tav::Reader& reader = simulated.OpenInitialised();
    const auto profile = reader.GetReaderCapabilityProfile();
    profile->RegisterRule(c.capability, std::make_unique<NeverRule>(reader.GetMetadataStruct(false)));
    const Tav::ReaderException error = Refusal([&] { c.call(reader); });
    EXPECT_EQ(error.Message(), std::string("Operation '") + c.operation +
                                   "' requires capabilities that this reader does not support: " +
                                   std::string(Tav::ReaderCapabilityToString(c.capability)));
    EXPECT_EQ(error.File(), "ExecutionHelpers");
    EXPECT_EQ(error.Line(), 154);
    EXPECT_EQ(error.Function(), "ExecuteWithCapabilityCheck");
    EXPECT_TRUE(simulated.Phrases().empty());
}

INSTANTIATE_TEST_SUITE_P(Table, CapabilityRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.operation); });

TEST(ReaderOperations, TheDefaultProfileRefusesByTheMetadata) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    {
        auto model = simulated.sim.Model();
        model->partNumber = "AB-2345-01";  // a reader without keystroking
        model->transparentModeSupported = false;
    }
    Tav::Reader& reader = simulated.OpenInitialised();
    EXPECT_THAT(Refusal([&] { reader.EnableKeystroking(false); }).Message(),
                HasSubstr("'EnableKeystroking' requires capabilities that this reader does not support: "
                          "READER_CAPABILITY_KEYSTROKING"));
    EXPECT_THAT(Refusal([&] { reader.AnalyzeCard(nullptr); }).Message(),
                HasSubstr("'AnalyzeCard' requires capabilities that this reader does not support: "
                          "READER_CAPABILITY_CARD_ANALYZER"));
    TavProtocol::TransparentModeState state{};
    TavProtocol::TransparentModeStatus status{};
    EXPECT_THAT(Refusal([&] { reader.GetTransparentModeStatus(state, status); }).Message(),
                HasSubstr("READER_CAPABILITY_TRANSPARENT_MODE"));
    EXPECT_TRUE(simulated.Phrases().empty());
}

TEST(ReaderOperations, AFailedExchangeCarriesTheProtocolResult) {
    ReaderOnSimulator simulated(Wire::SerialBinary);
    Tav::Reader& reader = simulated.OpenInitialised();
    simulated.sim.Disconnect();
    TavProtocol::LuidResponseInformation information{0x11, 0x22};
    const Tav::ReaderException error = Refusal([&] { reader.GetLuid(information); });
    EXPECT_THAT(error.Message(), ::testing::StartsWith("Operation 'GetLuid' failed [Protocol Exception: "));
    EXPECT_EQ(error.File(), "ExecutionHelpers");
    EXPECT_EQ(error.Line(), 169);
    EXPECT_TRUE(error.HasInnerException());
    EXPECT_FALSE(error.InnerMessage().empty());
    EXPECT_EQ(information, (TavProtocol::LuidResponseInformation{0x11, 0x22}));
}

TEST(ReaderOperations, NotImplementedAndUnsupportedArgumentsAreRefusedWithoutExchange) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Tav::Reader& reader = simulated.OpenInitialised();
    const auto baud = Refusal([&] { reader.ConfigureBaudRate(TavCommon::SerialPortBaudRate::Baud9600); });
    EXPECT_EQ(baud.Message(), "This function is not yet implemented.");
    EXPECT_EQ(baud.File(), "Reader");
    EXPECT_EQ(baud.Line(), 792);
    for (const uint8_t checkpoint : {0, 3}) {
        const auto reset =
            Refusal([&] { reader.ResetReaderConfiguration(static_cast<Tav::CheckpointType>(checkpoint)); });
        EXPECT_EQ(reset.Message(), "Unsupported checkpoint type.");
        EXPECT_EQ(reset.Line(), 765);
    }
    EXPECT_TRUE(simulated.Phrases().empty());
}

TEST(ReaderOperations, ResetAndUserDefaultsCopyThenLoadTheStoredConfiguration) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Tav::Reader& reader = simulated.OpenInitialised();
    reader.ResetReaderConfiguration(Tav::CheckpointType::StoredDefaults);
    EXPECT_EQ(simulated.Phrases(), (std::vector<Bytes>{Phrase({0xA0})}));
    simulated.ClearPhrases();
    reader.ResetReaderConfiguration(Tav::CheckpointType::FactoryDefaults);
    reader.WriteUserDefaultsToReader();
    EXPECT_EQ(simulated.Phrases(), (std::vector<Bytes>{Phrase({0x89, 0x82, 3, 2}), Phrase({0xA0}),
                                                       Phrase({0x89, 0x82, 1, 2})}));
    EXPECT_EQ(simulated.sim.Model()->storedDefaultsLoads, 2U);
}

TEST(ReaderOperations, GetCardDataFillsThirtyTwoBytesAndGrowsAShortVector) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Tav::Reader& reader = simulated.OpenInitialised();
    Tav::CardData card({0xAA}, 99);
    reader.GetCardData(card, TavProtocol::GetCardDataSizeParameters::Long);
    EXPECT_EQ(card.data, Bytes(32, 0));
    EXPECT_EQ(card.bitCount, 0U);
    EXPECT_TRUE(card.IsEmpty());

    simulated.sim.Model()->presentedCards.push_back({0x0001, 26, {0x12, 0x34, 0x56, 0xC0}});
    Tav::CardData held(Bytes(40, 0xEE), 0);
    reader.GetCardData(held, TavProtocol::GetCardDataSizeParameters::Long);
    EXPECT_EQ(held.bitCount, 26U);
    EXPECT_EQ(held.data.size(), 40U);
    EXPECT_THAT(Bytes(held.data.begin(), held.data.begin() + 5), ElementsAre(0x12, 0x34, 0x56, 0xC0, 0));
    EXPECT_EQ(held.data[32], 0xEE);  // beyond the 32 card bytes nothing is touched
}

TEST(ReaderOperations, SupportedCardTypesReplaceTheListOnlyOnSuccess) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    simulated.sim.Model()->supportedCardTypes = {0x0206, 0x0702};
    Tav::Reader& reader = simulated.OpenInitialised();
    std::vector<TavCommon::CardType> types;
    reader.GetSupportedCardTypes(types);
    ASSERT_EQ(types.size(), 2U);
    const std::size_t known = types.size();

    simulated.InjectFault(TavSim::FaultTrigger::OnCommand({0x89, 0x04}), TavSim::Fault::NoReply());
    EXPECT_THROW(reader.GetSupportedCardTypes(types), Tav::ReaderException);
    EXPECT_EQ(types.size(), known);

    simulated.ClearFaults();
    simulated.sim.Model()->supportedCardTypes = {0x0206, 0x7FF3};  // the second is not in the catalogue
    EXPECT_THROW(reader.GetSupportedCardTypes(types), ElvarinException);
    EXPECT_EQ(types.size(), known);
}

class OperationsOnEachWire : public ::testing::TestWithParam<Wire> {};

// Block 1 byte 7 bit 7 is DisableKeystroking.
bool KeystrokingDisabled(TavSim::DeviceModel& model, std::size_t configuration) {
    return (model.configurations.at(configuration).blocks[0][7] & 0x80) != 0;
}

TEST_P(OperationsOnEachWire, KeystrokingChangesEveryConfigurationAndStoresEach) {
    ReaderOnSimulator simulated(GetParam());
    simulated.sim.Model()->configurationCount = 3;
    Tav::Reader& reader = simulated.OpenInitialised();
    reader.EnableKeystroking(false);
    {
        auto model = simulated.sim.Model();
        EXPECT_TRUE(KeystrokingDisabled(*model, 0));
        EXPECT_TRUE(KeystrokingDisabled(*model, 1));
        EXPECT_TRUE(KeystrokingDisabled(*model, 2));
        EXPECT_FALSE(KeystrokingDisabled(*model, 3));
        EXPECT_EQ(model->configurationWrites, 3U);
        EXPECT_EQ(model->activeConfiguration, 2);  // the last one touched stays active
    }
    reader.EnableKeystroking(true);
    EXPECT_FALSE(KeystrokingDisabled(*simulated.sim.Model(), 1));
}

TEST_P(OperationsOnEachWire, LedConfigurationMapsStatesToTheColourBits) {
    ReaderOnSimulator simulated(GetParam());
    Tav::Reader& reader = simulated.OpenInitialised();
    struct Case {
        Tav::LedConfiguration written;
        uint8_t coloursBefore;  // block 3 byte 0: bit 0 red, bit 1 green
        uint8_t coloursAfter;
        bool hostControl;       // block 3 byte 1 bit 1
        Tav::LedConfiguration readBack;
    };
    const Case cases[] = {
        {{1, 1}, 0b11, 0b00, true, {1, 1}}, {{2, 1}, 0b00, 0b01, true, {2, 1}},
        {{3, 1}, 0b00, 0b10, true, {3, 1}}, {{4, 1}, 0b00, 0b11, true, {4, 1}},
        {{5, 1}, 0b10, 0b10, true, {3, 1}}, {{0, 1}, 0b01, 0b01, true, {2, 1}},
        {{2, 0}, 0b11, 0b11, false, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "state " << int{c.written.LedState} << " host "
                                        << int{c.written.HostControlFlag});
        simulated.sim.Model()->configurations[1].blocks[2] = {c.coloursBefore, 0x02, 0, 0, 0, 0, 0, 0};
        const uint32_t writes = simulated.sim.Model()->configurationWrites;
        reader.SetLedConfiguration(1, c.written);
        {
            auto model = simulated.sim.Model();
            EXPECT_EQ(model->configurations[1].blocks[2][0] & 0x03, c.coloursAfter);
            EXPECT_EQ((model->configurations[1].blocks[2][1] & 0x02) != 0, c.hostControl);
            EXPECT_EQ(model->configurationWrites, writes + 1);
        }
        Tav::LedConfiguration read{9, 9};
        reader.GetLedConfiguration(1, read);
        EXPECT_EQ(read.LedState, c.readBack.LedState);
        EXPECT_EQ(read.HostControlFlag, c.readBack.HostControlFlag);
    }
}

TEST_P(OperationsOnEachWire, LuidIsStored) {
    ReaderOnSimulator simulated(GetParam());
    Tav::Reader& reader = simulated.OpenInitialised();
    reader.SetLuid(0xBEEF);
    EXPECT_EQ(simulated.sim.Model()->luid, 0xBEEF);
    EXPECT_EQ(simulated.sim.Model()->configurationWrites, 1U);
    TavProtocol::LuidResponseInformation information{};
    reader.GetLuid(information);
    EXPECT_NE(information, TavProtocol::LuidResponseInformation{});
}

INSTANTIATE_TEST_SUITE_P(Wires, OperationsOnEachWire, ::testing::Values(Wire::FeatureReport, Wire::SerialBinary),
                         [](const auto& info) { return std::string(TavTest::WireParamName(info.param)); });

TEST(ReaderOperations, KeystrokingStopsAtTheFirstFailureAndLeavesTheRestUntouched) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    simulated.sim.Model()->configurationCount = 3;
    Tav::Reader& reader = simulated.OpenInitialised();
    simulated.InjectFault(TavSim::FaultTrigger::OnCommand({0x89, 0x81, 1}), TavSim::Fault::NoReply());
    EXPECT_THAT(Refusal([&] { reader.EnableKeystroking(false); }).Message(),
                ::testing::StartsWith("Operation 'EnableKeystroking' failed"));
    auto model = simulated.sim.Model();
    EXPECT_TRUE(KeystrokingDisabled(*model, 0));
    EXPECT_FALSE(KeystrokingDisabled(*model, 2));
    EXPECT_EQ(model->configurationWrites, 1U);
}

TEST(ReaderOperations, KeystrokingWithNoKnownConfigurationSucceedsWithoutExchange) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    simulated.sim.Model()->configurationCount = 0;
    Tav::Reader& reader = simulated.OpenInitialised();
    reader.EnableKeystroking(false);
    EXPECT_TRUE(simulated.Phrases().empty());
}

}  // namespace
