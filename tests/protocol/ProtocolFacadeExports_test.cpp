#include "facade/ProtocolFacadeExports.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "Tavelin/LibraryInfo.h"
#include "common/BlobHeader.h"
#include "common/BluetoothFirmwareVersion.h"
#include "common/ExtendedConfiguration.h"
#include "common/FelicaSamFirmwareVersion.h"
#include "common/HashData.h"
#include "common/HidSeSamFirmwareVersion.h"
#include "common/MicrocontrollerFirmwareVersion.h"
#include "common/NxpSamFirmwareVersion.h"
#include "common/ReaderConfiguration.h"
#include "facade/ProtocolFacade.h"
#include "facade/ProtocolLibraryInfo.h"
#include "records/ActiveConfigurationInformation.h"
#include "records/BleConfiguration.h"
#include "records/CardAnalyzerData.h"
#include "records/CardReadPayload.h"
#include "records/InstalledHardwareInformation.h"
#include "records/LuidResponseInformation.h"
#include "records/MifareWriterAidInformation.h"
#include "records/MifareWriterFileInformation.h"
#include "records/MifareWriterKeyInformation.h"
#include "records/QueuedIdFlagParameters.h"
#include "records/QueuedIdInformation.h"
#include "records/TransparentModeStatusInformation.h"
#include "sim/CommandTables.h"
#include "sim/FeatureReportFrontEnd.h"
#include "sim/SerialBinaryFrontEnd.h"
#include "sim/SimulatedReader.h"
#include "support/DeclaredFunctions.h"
#include "support/FacadeTestTransport.h"
#include "support/ProtocolFailure.h"
#include "support/ScopedTimeDelayOverride.h"
#include "support/SimulatedFacade.h"
#include "support/SimulatedFeatureReportReader.h"
#include "support/StockedReader.h"

namespace {

namespace Exports = TavProtocol::Exports;
using TavProtocol::CardAnalyzerData;
using TavProtocol::GetCardDataSizeParameters;
using TavProtocol::ProtocolHandle;
using TavTransport::ReportType;
using Bytes = std::vector<uint8_t>;
using TavTest::IsAllZero;
using TavTest::ProbeDefinition;
using TavTest::ValidExtendedImage;

constexpr const char* kFile = "./external/tavProtocol/src/ProtocolFacadeExports";
constexpr auto kModule = TavProtocol::FirmwareVersionModuleType{1};

// Where a wrapper may write: every out-pointer of a row points into these bytes, and the count of
// an array holds the capacity the row gives it. A wrapper that refuses must leave both alone.
struct Outputs {
    static constexpr uint8_t kFill = 0x5A;
    Outputs() { bytes.fill(kFill); }
    template <typename T>
    T* As() {
        return reinterpret_cast<T*>(bytes.data());
    }
    bool Untouched() const {
        return std::all_of(bytes.begin(), bytes.end(), [](uint8_t byte) { return byte == kFill; }) && count == 8;
    }

    alignas(8) std::array<uint8_t, 4096> bytes;
    unsigned int count = 8;
};

struct WrapperCase {
    const char* name;
    std::function<ProtocolCommandResult(ProtocolHandle, Outputs&)> call;
    // False where the simulated feature-report reader cannot run the call as given (a serial-only
    // command, a mode change that would end the others, a result larger than the outputs).
    bool runsOnFeatureReport = true;
};

const TavCommon::BlobHeader kBlob7{7, 0, 5, 0};
const unsigned char kSixteenBytes[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

// Every wrapper, called with valid out-pointers and arguments that a reader would accept.
const std::vector<WrapperCase>& Wrappers() {
    static const std::vector<WrapperCase> wrappers = {
        {"GetSupportedCards",
         [](ProtocolHandle h, Outputs& o) { return Exports::GetSupportedCards(h, o.As<unsigned short>(), &o.count); }},
        {"GetCardData",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetCardData(h, GetCardDataSizeParameters::Long, o.bytes.data(), 32);
         }},
        {"GetCardBitCount",
         [](ProtocolHandle h, Outputs& o) { return Exports::GetCardBitCount(h, o.As<unsigned char>()); }},
        {"GetCardReadPayload",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetCardReadPayload(h, GetCardDataSizeParameters::Long,
                                                o.As<TavProtocol::CardReadPayload>());
         }},
        {"GetQueuedId",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetQueuedId(h, {}, o.As<TavProtocol::QueuedIdInformation>());
         }},
        {"GetCardAnalyzerStatus",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetCardAnalyzerStatus(h, o.As<TavProtocol::CardAnalyzerStatus>());
         }},
        {"SetCardAnalyzerControl",
         [](ProtocolHandle h, Outputs&) {
             return Exports::SetCardAnalyzerControl(h, TavProtocol::CardAnalyzerControlParameter{1});
         }},
        {"GetCardAnalyzerData",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetCardAnalyzerData(h, o.As<CardAnalyzerData>(), &o.count, 1);
         }},
        {"GetControlFirmwareVersion",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetControlFirmwareVersion(h, o.As<TavProtocol::MicrocontrollerFirmwareVersion>(), kModule);
         }},
        {"GetRadioFirmwareVersion",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetRadioFirmwareVersion(h, o.As<TavProtocol::MicrocontrollerFirmwareVersion>(), kModule);
         }},
        {"GetBluetoothFirmwareVersion",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetBluetoothFirmwareVersion(h, o.As<TavProtocol::BluetoothFirmwareVersion>(), kModule);
         }},
        {"GetNxpAvxSamFirmwareVersion",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetNxpAvxSamFirmwareVersion(h, o.As<TavProtocol::NxpSamFirmwareVersion>());
         }},
        {"GetHidSeSamFirmwareVersion",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetHidSeSamFirmwareVersion(h, o.As<TavProtocol::HidSeSamFirmwareVersion>());
         }},
        {"GetFelicaSamFirmwareVersion",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetFelicaSamFirmwareVersion(h, o.As<TavProtocol::FelicaSamFirmwareVersion>());
         }},
        {"GetInstalledHardware",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetInstalledHardware(h, o.As<InstalledHardwareInformation>());
         }},
        {"GetSystemUptime",
         [](ProtocolHandle h, Outputs& o) { return Exports::GetSystemUptime(h, o.As<unsigned int>()); }},
        {"GetLuid", [](ProtocolHandle h,
                       Outputs& o) { return Exports::GetLuid(h, o.As<TavProtocol::LuidResponseInformation>()); }},
        {"GetTransparentModeStatus",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetTransparentModeStatus(h, o.As<TavProtocol::TransparentModeStatusInformation>());
         }},
        {"GetActiveConfiguration",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetActiveConfiguration(h, o.As<TavProtocol::ActiveConfigurationInformation>());
         }},
        {"GetConfigurationBlock1",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetConfigurationBlock1(h, o.As<TavProtocol::ReaderConfigurationBlock1>());
         }},
        {"GetConfigurationBlock2",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetConfigurationBlock2(h, o.As<TavProtocol::ReaderConfigurationBlock2>());
         }},
        {"GetConfigurationBlock3",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetConfigurationBlock3(h, o.As<TavProtocol::ReaderConfigurationBlock3>());
         }},
        {"GetConfigurationBlock4",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetConfigurationBlock4(h, o.As<TavProtocol::ReaderConfigurationBlock4>());
         }},
        {"GetConfigurationBlock5",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetConfigurationBlock5(h, o.As<TavProtocol::ReaderConfigurationBlock5>());
         }},
        {"GetExtendedConfiguration",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetExtendedConfiguration(h, o.As<TavCommon::ExtendedConfiguration>());
         }},
        {"GetESN", [](ProtocolHandle h, Outputs& o) { return Exports::GetESN(h, o.As<char>(), 256); }},
        {"GetPartNumber", [](ProtocolHandle h, Outputs& o) { return Exports::GetPartNumber(h, o.As<char>(), 256); }},
        {"GetString",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetString(h, o.As<char>(), 256, TavProtocol::GetStringIndex{1});
         }},
        {"GetConfiguration",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetConfiguration(h, 1, o.As<TavProtocol::ReaderConfiguration>());
         }},
        {"SetLuid", [](ProtocolHandle h, Outputs&) { return Exports::SetLuid(h, 0x1234); }},
        {"SetActiveConfiguration", [](ProtocolHandle h, Outputs&) { return Exports::SetActiveConfiguration(h, 1); }},
        {"SetConfigurationBlock1",
         [](ProtocolHandle h, Outputs&) {
             return Exports::SetConfigurationBlock1(h, 1, TavProtocol::ReaderConfigurationBlock1{});
         }},
        {"SetConfigurationBlock2",
         [](ProtocolHandle h, Outputs&) {
             return Exports::SetConfigurationBlock2(h, 1, TavProtocol::ReaderConfigurationBlock2{});
         }},
        {"SetConfigurationBlock3",
         [](ProtocolHandle h, Outputs&) {
             return Exports::SetConfigurationBlock3(h, 1, TavProtocol::ReaderConfigurationBlock3{});
         }},
        {"SetConfigurationBlock4",
         [](ProtocolHandle h, Outputs&) {
             return Exports::SetConfigurationBlock4(h, 1, TavProtocol::ReaderConfigurationBlock4{});
         }},
        {"SetConfigurationBlock5",
         [](ProtocolHandle h, Outputs&) {
             return Exports::SetConfigurationBlock5(h, 1, TavProtocol::ReaderConfigurationBlock5{});
         }},
        {"SetConfiguration",
         [](ProtocolHandle h, Outputs&) {
             return Exports::SetConfiguration(h, 1, TavProtocol::ReaderConfiguration{});
         }},
        {"WriteConfiguration", [](ProtocolHandle h, Outputs&) { return Exports::WriteConfiguration(h, 1); }},
        {"LoadStoredDefaults", [](ProtocolHandle h, Outputs&) { return Exports::LoadStoredDefaults(h); }},
        {"CopyConfiguration",
         [](ProtocolHandle h, Outputs&) {
             return Exports::CopyConfiguration(h, TavProtocol::ConfigurationLocation::FactoryDefaults,
                                               TavProtocol::ConfigurationLocation{1}, 0, 0);
         }},
        {"SetExtendedConfiguration",
         [](ProtocolHandle h, Outputs&) {
             return Exports::SetExtendedConfiguration(
                 h, TavCommon::ExtendedConfiguration::FromVector(ValidExtendedImage()), TavCommon::HashData{});
         }},
        {"Beep", [](ProtocolHandle h, Outputs&) { return Exports::Beep(h, 1, TavProtocol::BEEP_DURATION::Short); }},
        {"GetBeeperVolume",
         [](ProtocolHandle h, Outputs& o) { return Exports::GetBeeperVolume(h, o.As<TavProtocol::BeepVolume>()); }},
        {"SetBeeperVolume",
         [](ProtocolHandle h, Outputs&) { return Exports::SetBeeperVolume(h, TavProtocol::BeepVolume{2}); }},
        {"GetBaudRate",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetBaudRate(h, o.As<TavProtocol::SerialReaderBaudRate>());
         },
         false},
        {"SetBaudRate",
         [](ProtocolHandle h, Outputs&) { return Exports::SetBaudRate(h, TavProtocol::SerialReaderBaudRate{1}); },
         false},
        {"ConfigureModuleState",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::ConfigureModuleState(h, TavProtocol::ReaderModuleAction::Read,
                                                  TavProtocol::ReaderModuleId{1},
                                                  o.As<TavProtocol::ReaderModuleState>());
         }},
        {"EnableTransparentMode", [](ProtocolHandle h, Outputs&) { return Exports::EnableTransparentMode(h, false); }},
        {"GetBleConfiguration",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetBleConfiguration(h, o.As<TavProtocol::BleConfiguration>());
         }},
        {"SetBleConfiguration",
         [](ProtocolHandle h, Outputs&) {
             return Exports::SetBleConfiguration(h, TavProtocol::BleConfiguration{0x7F, -40, -4});
         }},
        {"GetBlob",
         [](ProtocolHandle h, Outputs& o) { return Exports::GetBlob(h, &kBlob7, o.bytes.data(), &o.count); }},
        {"SetBlob", [](ProtocolHandle h, Outputs&) { return Exports::SetBlob(h, &kBlob7, kSixteenBytes, 5); }},
        {"GetBleBlob",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetBleBlob(h, TavCommon::BleDataType::Key, o.bytes.data(), &o.count);
         },
         false},
        {"SetBleBlob",
         [](ProtocolHandle h, Outputs&) {
             return Exports::SetBleBlob(h, TavCommon::BleDataType::UnencryptedKey, kSixteenBytes, 16);
         }},
        {"GetMifareWriterStatus",
         [](ProtocolHandle h, Outputs& o) {
             return Exports::GetMifareWriterStatus(h, o.As<TavProtocol::MifareWriterStatus>());
         }},
        {"MifareWriterCreateAid",
         [](ProtocolHandle h, Outputs&) {
             return Exports::MifareWriterCreateAid(h, TavProtocol::MifareWriterAidInformation{0x123456, 0, 1, 0, 4});
         }},
        {"MifareWriterFormatCard", [](ProtocolHandle h, Outputs&) { return Exports::MifareWriterFormatCard(h); }},
        {"MifareWriterChangeKey",
         [](ProtocolHandle h, Outputs&) {
             return Exports::MifareWriterChangeKey(h, TavProtocol::MifareWriterKeyInformation{1, 0, 0, 0});
         }},
        {"MifareWriterCreateFile",
         [](ProtocolHandle h, Outputs&) {
             return Exports::MifareWriterCreateFile(h, TavProtocol::MifareWriterFileInformation{0, 16, 1, 0, 0, 0});
         }},
        {"EnableBootloaderMode",
         [](ProtocolHandle h, Outputs&) { return Exports::EnableBootloaderMode(h, TavProtocol::BootloaderModule{1}); },
         false},
        {"UpgradeFirmware",
         [](ProtocolHandle h, Outputs&) { return Exports::UpgradeFirmware(h, "/nonexistent/firmware.hex"); }, false},
        {"GetDeviceId",
         [](ProtocolHandle h, Outputs& o) { return Exports::GetDeviceId(h, o.As<TavCommon::DeviceId>()); }},
        {"Transmit",
         [](ProtocolHandle h, Outputs&) {
             const unsigned char phrase[8] = {0x8E};
             return Exports::Transmit(h, phrase, sizeof phrase, ReportType::Feature);
         }},
        {"Receive",
         [](ProtocolHandle h, Outputs& o) { return Exports::Receive(h, o.bytes.data(), 8, ReportType::Feature); }},
    };
    return wrappers;
}

TEST(ProtocolExportsTest, ZeroUnknownAndDestroyedHandlesAreRefusedWithoutTouchingAnything) {
    const TavTest::ScopedProbeTransports transports;
    const ProtocolHandle destroyed = Exports::CreateProtocolInstance(ProbeDefinition(1), 0, nullptr);
    ASSERT_NE(destroyed, 0U);
    Exports::DestroyProtocolInstance(destroyed);

    for (const ProtocolHandle handle : {ProtocolHandle{0}, destroyed, ProtocolHandle{0xDEADBEEF}}) {
        for (const WrapperCase& wrapper : Wrappers()) {
            SCOPED_TRACE(std::string(wrapper.name) + " with handle " + std::to_string(handle));
            Outputs outputs;
            const ProtocolCommandResult result = wrapper.call(handle, outputs);
            ProtocolCommandResult expected;
            std::memset(&expected, 0, sizeof expected);
            expected.HasException = true;
            std::strcpy(expected.Message, "Invalid protocol handle");
            EXPECT_EQ(std::memcmp(&result, &expected, sizeof result), 0)
                << result.Message << " / " << result.ExceptionType << " / " << result.File;
            EXPECT_TRUE(outputs.Untouched());
        }
    }
    EXPECT_TRUE(transports.probe().transmitted.empty());
}

TEST(ProtocolExportsTest, EveryWrapperForwardsTheFacadesResult) {
    TavSim::SimulatedReader reader;
    {
        auto model = reader.Model();
        model->presentedCards.push_back({0x0107, 200, Bytes(25, 0x11)});
        model->supportedCardTypes = {0x0001, 0x0107};
        model->cardAnalyzerStatus = 0x1234;
        model->analyzerCards = {{0x0107, 26, Bytes(4, 0x22)}};
        const Bytes image = ValidExtendedImage();
        std::copy(image.begin(), image.end(), model->ActiveConfiguration().extended.begin());
        model->blobs[7] = Bytes(8, 0x44);
    }
    TavSim::FeatureReportFrontEnd frontEnd(reader);
    const TavTest::SimulatedFacade facade(frontEnd, 1);
    ASSERT_TRUE(facade.IsOpen());
    const TavTest::ScopedTimeDelayOverride noWaits;
    for (const WrapperCase& wrapper : Wrappers()) {
        if (!wrapper.runsOnFeatureReport) {
            continue;
        }
        SCOPED_TRACE(wrapper.name);
        Outputs outputs;
        const ProtocolCommandResult result = wrapper.call(facade.Handle(), outputs);
        EXPECT_TRUE(IsAllZero(result)) << result.Message;
    }
    // What the reads wrote, each into a fresh place.
    unsigned char bitCount = 0;
    ASSERT_TRUE(IsAllZero(Exports::GetCardBitCount(facade.Handle(), &bitCount)));
    EXPECT_EQ(bitCount, 200);
    TavProtocol::CardAnalyzerStatus status = 0;
    ASSERT_TRUE(IsAllZero(Exports::GetCardAnalyzerStatus(facade.Handle(), &status)));
    EXPECT_EQ(status, 0x1234);
    EXPECT_EQ(reader.Model()->cardAnalyzerControl, 1);
    char partNumber[32];
    ASSERT_TRUE(IsAllZero(Exports::GetPartNumber(facade.Handle(), partNumber, sizeof partNumber)));
    EXPECT_STREQ(partNumber, "TAV-SIM-0001");
    EXPECT_EQ(reader.Model()->luid, 0x1234);
}

TEST(ProtocolExportsTest, AFacadeFailureComesBackUnchanged) {
    const TavTest::ScopedProbeTransports transports;
    const ProtocolHandle handle = Exports::CreateProtocolInstance(ProbeDefinition(2), 0, nullptr);
    ASSERT_NE(handle, 0U);
    unsigned char bitCount = 0x77;
    const ProtocolCommandResult result = Exports::GetCardBitCount(handle, &bitCount);
    Exports::DestroyProtocolInstance(handle);
    EXPECT_STREQ(result.Message, "This command is not yet supported with the MFP24 Protocol");
    EXPECT_STREQ(result.File, "GetCardBitCountVisitor");
    EXPECT_EQ(bitCount, 0x77);
}

struct NullCase {
    const char* function;
    const char* message;
    int32_t line;  // 0 where no line is fixed
    std::function<ProtocolCommandResult(ProtocolHandle)> call;
};

// What the null-pointer rows pass where a pointer other than the one under test is needed.
struct NullCaseInputs {
    unsigned int count = 4;
    unsigned short codes[4];
    CardAnalyzerData records[4];
    unsigned char bytes[4];
};

// One row per pointer of every wrapper that takes one, each naming the parameter it refuses.
std::vector<NullCase> NullCases(NullCaseInputs& inputs) {
    // References, not a structured binding: clang 14 cannot capture one in a lambda.
    unsigned int& count = inputs.count;
    auto& codes = inputs.codes;
    auto& records = inputs.records;
    auto& bytes = inputs.bytes;
    return {
        {"GetSupportedCards", "cardTypeCount pointer cannot be null", 0,
         [&](ProtocolHandle h) { return Exports::GetSupportedCards(h, codes, nullptr); }},
        {"GetSupportedCards", "cardTypes pointer cannot be null", 0,
         [&](ProtocolHandle h) { return Exports::GetSupportedCards(h, nullptr, &count); }},
        {"GetCardData", "buffer pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetCardData(h, GetCardDataSizeParameters::Long, nullptr, 32); }},
        {"GetCardBitCount", "bitCount pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetCardBitCount(h, nullptr); }},
        {"GetCardReadPayload", "payload pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetCardReadPayload(h, GetCardDataSizeParameters::Long, nullptr); }},
        {"GetQueuedId", "queuedId pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetQueuedId(h, {}, nullptr); }},
        {"GetCardAnalyzerStatus", "status pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetCardAnalyzerStatus(h, nullptr); }},
        {"GetCardAnalyzerData", "recordCount pointer cannot be null", 0,
         [&](ProtocolHandle h) { return Exports::GetCardAnalyzerData(h, records, nullptr, 1); }},
        {"GetCardAnalyzerData", "records pointer cannot be null", 0,
         [&](ProtocolHandle h) { return Exports::GetCardAnalyzerData(h, nullptr, &count, 1); }},
        {"GetControlFirmwareVersion", "version pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetControlFirmwareVersion(h, nullptr, kModule); }},
        {"GetRadioFirmwareVersion", "version pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetRadioFirmwareVersion(h, nullptr, kModule); }},
        {"GetBluetoothFirmwareVersion", "version pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetBluetoothFirmwareVersion(h, nullptr, kModule); }},
        {"GetNxpAvxSamFirmwareVersion", "version pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetNxpAvxSamFirmwareVersion(h, nullptr); }},
        {"GetHidSeSamFirmwareVersion", "version pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetHidSeSamFirmwareVersion(h, nullptr); }},
        {"GetFelicaSamFirmwareVersion", "version pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetFelicaSamFirmwareVersion(h, nullptr); }},
        {"GetInstalledHardware", "hardware pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetInstalledHardware(h, nullptr); }},
        {"GetSystemUptime", "uptime pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetSystemUptime(h, nullptr); }},
        {"GetLuid", "luid pointer cannot be null", 0, [](ProtocolHandle h) { return Exports::GetLuid(h, nullptr); }},
        {"GetTransparentModeStatus", "status pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetTransparentModeStatus(h, nullptr); }},
        {"GetActiveConfiguration", "information pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetActiveConfiguration(h, nullptr); }},
        {"GetConfigurationBlock1", "block pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetConfigurationBlock1(h, nullptr); }},
        {"GetConfigurationBlock2", "block pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetConfigurationBlock2(h, nullptr); }},
        {"GetConfigurationBlock3", "block pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetConfigurationBlock3(h, nullptr); }},
        {"GetConfigurationBlock4", "block pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetConfigurationBlock4(h, nullptr); }},
        {"GetConfigurationBlock5", "block pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetConfigurationBlock5(h, nullptr); }},
        {"GetExtendedConfiguration", "configuration pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetExtendedConfiguration(h, nullptr); }},
        {"GetESN", "buffer pointer cannot be null", 0, [](ProtocolHandle h) { return Exports::GetESN(h, nullptr, 1); }},
        {"GetPartNumber", "buffer pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetPartNumber(h, nullptr, 1); }},
        {"GetString", "buffer pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetString(h, nullptr, 1, TavProtocol::GetStringIndex{1}); }},
        {"GetConfiguration", "readerConfiguration pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetConfiguration(h, 1, nullptr); }},
        {"GetBeeperVolume", "volume pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetBeeperVolume(h, nullptr); }},
        {"GetBaudRate", "baudRate pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetBaudRate(h, nullptr); }},
        {"ConfigureModuleState", "state pointer cannot be null", 0,
         [](ProtocolHandle h) {
             return Exports::ConfigureModuleState(h, TavProtocol::ReaderModuleAction::Read,
                                                  TavProtocol::ReaderModuleId{1}, nullptr);
         }},
        {"GetBleConfiguration", "configuration pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetBleConfiguration(h, nullptr); }},
        {"GetBlob", "header pointer cannot be null", 0,
         [&](ProtocolHandle h) { return Exports::GetBlob(h, nullptr, bytes, &count); }},
        {"GetBlob", "dataSize pointer cannot be null", 0,
         [&](ProtocolHandle h) { return Exports::GetBlob(h, &kBlob7, bytes, nullptr); }},
        {"GetBlob", "data pointer cannot be null", 0,
         [&](ProtocolHandle h) { return Exports::GetBlob(h, &kBlob7, nullptr, &count); }},
        {"SetBlob", "header pointer cannot be null", 0,
         [&](ProtocolHandle h) { return Exports::SetBlob(h, nullptr, bytes, 4); }},
        {"SetBlob", "data pointer cannot be null", 0,
         [&](ProtocolHandle h) { return Exports::SetBlob(h, &kBlob7, nullptr, 4); }},
        {"GetBleBlob", "dataSize pointer cannot be null", 0,
         [&](ProtocolHandle h) { return Exports::GetBleBlob(h, TavCommon::BleDataType::Key, bytes, nullptr); }},
        {"GetBleBlob", "data pointer cannot be null", 0,
         [&](ProtocolHandle h) { return Exports::GetBleBlob(h, TavCommon::BleDataType::Key, nullptr, &count); }},
        {"SetBleBlob", "data pointer cannot be null", 0,
         [&](ProtocolHandle h) { return Exports::SetBleBlob(h, TavCommon::BleDataType::Key, nullptr, 4); }},
        {"GetMifareWriterStatus", "status pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetMifareWriterStatus(h, nullptr); }},
        {"GetDeviceId", "deviceId pointer cannot be null", 0,
         [](ProtocolHandle h) { return Exports::GetDeviceId(h, nullptr); }},
        {"Transmit", "data pointer cannot be null", 778,
         [](ProtocolHandle h) { return Exports::Transmit(h, nullptr, 0, ReportType::Feature); }},
        {"Receive", "buffer pointer cannot be null", 799,
         [](ProtocolHandle h) { return Exports::Receive(h, nullptr, 8, ReportType::Feature); }},
    };
}

TEST(ProtocolExportsTest, NullPointersAreRefusedBeforeTheHandleIsLookedAt) {
    NullCaseInputs inputs;
    const std::vector<NullCase> cases = NullCases(inputs);
    const TavTest::ScopedProbeTransports transports;
    const ProtocolHandle open = Exports::CreateProtocolInstance(ProbeDefinition(1), 0, nullptr);
    ASSERT_NE(open, 0U);
    for (const ProtocolHandle handle : {open, ProtocolHandle{0}}) {
        for (const NullCase& row : cases) {
            SCOPED_TRACE(std::string(row.message) + " with handle " + std::to_string(handle));
            const ProtocolCommandResult result = row.call(handle);
            EXPECT_TRUE(result.HasException);
            EXPECT_STREQ(result.Message, row.message);
            EXPECT_STREQ(result.ExceptionType, "InvalidArgument");
            EXPECT_STREQ(result.File, kFile);
            EXPECT_STREQ(result.Function, row.function);
            if (row.line != 0) {
                EXPECT_EQ(result.Line, row.line);
            }
        }
    }
    Exports::DestroyProtocolInstance(open);
    EXPECT_TRUE(transports.probe().transmitted.empty());
    EXPECT_EQ(inputs.count, 4U);
}

void ExpectOverflow(const ProtocolCommandResult& result, const std::string& message, const char* function) {
    EXPECT_TRUE(result.HasException);
    EXPECT_EQ(result.Message, message);
    EXPECT_STREQ(result.ExceptionType, "BufferOverflow");
    EXPECT_STREQ(result.File, kFile);
    EXPECT_STREQ(result.Function, function);
}

class FeatureReportExportsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(facade_.IsOpen()); }

    TavSim::SimulatedReader reader_;
    TavSim::FeatureReportFrontEnd frontEnd_{reader_};
    TavTest::SimulatedFacade facade_{frontEnd_, 1};
    TavTest::ScopedTimeDelayOverride noWaits_;
};

struct ByteCapacityCase {
    unsigned int capacity;
    bool fits;
};

// What a byte-array read must do at its capacity's edges: refuse whole, or copy and count.
void ExpectBytesAtCapacity(const std::function<ProtocolCommandResult(unsigned char*, unsigned int*)>& read,
                           const char* function, const Bytes& expected, std::initializer_list<ByteCapacityCase> rows) {
    for (const ByteCapacityCase& row : rows) {
        SCOPED_TRACE(row.capacity);
        Bytes buffer(std::size_t{row.capacity} + 1, 0xEE);
        unsigned int count = row.capacity;
        const ProtocolCommandResult result = read(buffer.data(), &count);
        if (!row.fits) {
            ExpectOverflow(result,
                           "Received data exceeds buffer size. Actual bytes: " + std::to_string(expected.size()) +
                               ", Buffer capacity: " + std::to_string(row.capacity),
                           function);
            EXPECT_EQ(count, expected.size());
            EXPECT_EQ(buffer, Bytes(buffer.size(), 0xEE));
            continue;
        }
        EXPECT_TRUE(IsAllZero(result)) << result.Message;
        EXPECT_EQ(count, expected.size());
        EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + static_cast<long>(expected.size())), expected);
        EXPECT_EQ(buffer[expected.size()], 0xEE);
    }
}

// The reader sends a blob in whole 4-byte pieces; the caller's array needs room for the header's
// length alone, and gets nothing of the padding.
TEST_F(FeatureReportExportsTest, ABlobNeedsRoomForItsHeadersLengthOnly) {
    reader_.Model()->blobs[7] = Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9};
    ExpectBytesAtCapacity([&](unsigned char* data,
                              unsigned int* count) { return Exports::GetBlob(facade_.Handle(), &kBlob7, data, count); },
                          "GetBlob", Bytes{1, 2, 3, 4, 5}, {{4, false}, {5, true}, {8, true}});
}

TEST_F(FeatureReportExportsTest, ABleBlobFillsTheCallersArrayOnlyWhenItHoldsItAll) {
    Bytes key(128);
    for (std::size_t i = 0; i < key.size(); ++i) {
        key[i] = static_cast<uint8_t>(0x40 + i);
    }
    reader_.Model()->bleData[2] = key;
    ExpectBytesAtCapacity(
        [&](unsigned char* data, unsigned int* count) {
            return Exports::GetBleBlob(facade_.Handle(), TavCommon::BleDataType::Key, data, count);
        },
        "GetBleBlob", key, {{127, false}, {128, true}});
}

// The array's capacity is the count on entry: one short of the result copies nothing and stores
// the size needed; enough, or more, copies the result and stores its size.
TEST_F(FeatureReportExportsTest, SupportedCardsFillTheCallersArrayOnlyWhenItHoldsThemAll) {
    reader_.Model()->supportedCardTypes = {0x0001, 0x0107, 0x0302};
    struct CapacityCase {
        unsigned int capacity;
        bool fits;
    };
    for (const CapacityCase& row :
         {CapacityCase{0, false}, CapacityCase{2, false}, CapacityCase{3, true}, CapacityCase{4, true}}) {
        SCOPED_TRACE(row.capacity);
        std::vector<unsigned short> codes(5, 9);
        unsigned int count = row.capacity;
        const ProtocolCommandResult result = Exports::GetSupportedCards(facade_.Handle(), codes.data(), &count);
        if (!row.fits) {
            ExpectOverflow(
                result,
                "Received data exceeds buffer size. Actual count: 3, Buffer capacity: " + std::to_string(row.capacity),
                "GetSupportedCards");
            EXPECT_EQ(count, 3U);
            EXPECT_THAT(codes, ::testing::Each(9));
            continue;
        }
        EXPECT_TRUE(IsAllZero(result)) << result.Message;
        EXPECT_EQ(count, 3U);
        EXPECT_THAT(codes, ::testing::ElementsAre(0x0001, 0x0107, 0x0302, 9, 9));
    }

    // An empty list needs no array at all.
    reader_.Model()->supportedCardTypes.clear();
    unsigned int none = 0;
    EXPECT_TRUE(IsAllZero(Exports::GetSupportedCards(facade_.Handle(), nullptr, &none)));
    EXPECT_EQ(none, 0U);
}

TEST_F(FeatureReportExportsTest, CardAnalyzerRecordsFillTheCallersArrayOnlyWhenItHoldsThemAll) {
    reader_.Model()->analyzerCards = {{0x0107, 26, Bytes(4, 0x22)}, {0x0001, 16, Bytes(2, 0x33)}};
    const CardAnalyzerData untouched{0xEEEE, 0xEEEE, {}};
    struct CapacityCase {
        unsigned int capacity;
        bool fits;
    };
    for (const CapacityCase& row : {CapacityCase{1, false}, CapacityCase{2, true}, CapacityCase{3, true}}) {
        SCOPED_TRACE(row.capacity);
        std::vector<CardAnalyzerData> records(3, untouched);
        unsigned int count = row.capacity;
        const ProtocolCommandResult result = Exports::GetCardAnalyzerData(facade_.Handle(), records.data(), &count, 2);
        if (!row.fits) {
            ExpectOverflow(result, "Received data exceeds buffer size. Actual count: 2, Buffer capacity: 1",
                           "GetCardAnalyzerData");
            EXPECT_EQ(count, 2U);
            EXPECT_EQ(records, std::vector<CardAnalyzerData>(3, untouched));
            continue;
        }
        EXPECT_TRUE(IsAllZero(result)) << result.Message;
        EXPECT_EQ(count, 2U);
        EXPECT_EQ(records[0].CardType, 0x0107);
        EXPECT_EQ(records[1].CardType, 0x0001);
        EXPECT_EQ(records[2], untouched);
    }
}

// A wrapper that fills the caller's array of *count elements, with the size the stocked reader
// of AnOverflowStoresTheSizeNeededForTheNextCall needs.
struct SizingCase {
    const char* function;
    const char* unit;
    unsigned int needed;
    std::size_t elementSize;
    std::function<ProtocolCommandResult(unsigned char*, unsigned int*)> read;
};

std::vector<SizingCase> SizingCases(ProtocolHandle h) {
    return {
        {"GetSupportedCards", "count", 3, sizeof(unsigned short),
         [h](unsigned char* array, unsigned int* count) {
             return Exports::GetSupportedCards(h, reinterpret_cast<unsigned short*>(array), count);
         }},
        {"GetCardAnalyzerData", "count", 2, sizeof(CardAnalyzerData),
         [h](unsigned char* array, unsigned int* count) {
             return Exports::GetCardAnalyzerData(h, reinterpret_cast<CardAnalyzerData*>(array), count, 2);
         }},
        {"GetBlob", "bytes", 5, 1,
         [h](unsigned char* array, unsigned int* count) { return Exports::GetBlob(h, &kBlob7, array, count); }},
        {"GetBleBlob", "bytes", 128, 1,
         [h](unsigned char* array, unsigned int* count) {
             return Exports::GetBleBlob(h, TavCommon::BleDataType::Key, array, count);
         }},
    };
}

// A host sizes an array the way it sizes discovery: a first call with no array (or one too small)
// copies nothing and stores the size needed; a second call with that size gets the result.
TEST_F(FeatureReportExportsTest, AnOverflowStoresTheSizeNeededForTheNextCall) {
    reader_.Model()->supportedCardTypes = {0x0001, 0x0107, 0x0302};
    reader_.Model()->analyzerCards = {{0x0107, 26, Bytes(4, 0x22)}, {0x0001, 16, Bytes(2, 0x33)}};
    reader_.Model()->blobs[7] = Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9};
    reader_.Model()->bleData[2] = Bytes(128, 0x44);
    for (const SizingCase& row : SizingCases(facade_.Handle())) {
        SCOPED_TRACE(row.function);
        for (const bool withArray : {false, true}) {
            SCOPED_TRACE(withArray ? "an array one short" : "no array");
            Outputs outputs;
            outputs.count = withArray ? row.needed - 1 : 0;
            const unsigned int capacity = outputs.count;
            ExpectOverflow(row.read(withArray ? outputs.bytes.data() : nullptr, &outputs.count),
                           "Received data exceeds buffer size. Actual " + std::string(row.unit) + ": " +
                               std::to_string(row.needed) + ", Buffer capacity: " + std::to_string(capacity),
                           row.function);
            EXPECT_EQ(outputs.count, row.needed);
            EXPECT_THAT(outputs.bytes, ::testing::Each(Outputs::kFill));

            const ProtocolCommandResult result = row.read(outputs.bytes.data(), &outputs.count);
            EXPECT_TRUE(IsAllZero(result)) << result.Message;
            EXPECT_EQ(outputs.count, row.needed);
            EXPECT_EQ(outputs.bytes[row.needed * row.elementSize], Outputs::kFill);
        }
    }
}

TEST_F(FeatureReportExportsTest, CardDataNeedsThirtyTwoBytesBeforeTheRead) {
    reader_.Model()->presentedCards.push_back({0x0107, 200, Bytes(25, 0x11)});
    Bytes buffer(32, 0xEE);
    const ProtocolCommandResult small =
        Exports::GetCardData(facade_.Handle(), GetCardDataSizeParameters::Long, buffer.data(), 31);
    EXPECT_EQ(small.Line, 1141);
    EXPECT_TRUE(frontEnd_.ReceivedBytes().empty());
    EXPECT_TRUE(IsAllZero(Exports::GetCardData(facade_.Handle(), GetCardDataSizeParameters::Long, buffer.data(), 32)));
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 25), Bytes(25, 0x11));
}

// A wrapper that fills a buffer of the size it is given: a card read's 32 bytes, or a text and
// its NUL.
struct BufferCase {
    const char* function;
    unsigned long needed;  // 0: whatever the simulated reader's text needs
    std::function<ProtocolCommandResult(ProtocolHandle, char*, unsigned long)> read;
};

std::vector<BufferCase> BufferCases() {
    return {
        {"GetCardData", 32,
         [](ProtocolHandle h, char* buffer, unsigned long size) {
             return Exports::GetCardData(h, GetCardDataSizeParameters::Long, reinterpret_cast<unsigned char*>(buffer),
                                         size);
         }},
        {"GetESN", 0,
         [](ProtocolHandle h, char* buffer, unsigned long size) { return Exports::GetESN(h, buffer, size); }},
        {"GetPartNumber", 0,
         [](ProtocolHandle h, char* buffer, unsigned long size) { return Exports::GetPartNumber(h, buffer, size); }},
        {"GetString", 0,
         [](ProtocolHandle h, char* buffer, unsigned long size) {
             return Exports::GetString(h, buffer, size, TavProtocol::GetStringIndex{1});
         }},
    };
}

// Below the size the answer needs a buffer is refused with nothing written; at that size the
// answer fills it and not a byte more.
TEST_F(FeatureReportExportsTest, ABufferTooSmallIsRefusedUntouched) {
    reader_.Model()->presentedCards.push_back({0x0107, 200, Bytes(25, 0x11)});
    for (const BufferCase& row : BufferCases()) {
        SCOPED_TRACE(row.function);
        unsigned long size = 1;
        for (;; ++size) {
            ASSERT_LT(size, 256U) << "no size is enough";
            Outputs outputs;
            const ProtocolCommandResult result = row.read(facade_.Handle(), outputs.As<char>(), size);
            if (!result.HasException) {
                EXPECT_EQ(outputs.bytes[size], Outputs::kFill);
                break;
            }
            EXPECT_TRUE(outputs.Untouched()) << size;
        }
        if (row.needed != 0) {
            EXPECT_EQ(size, row.needed);
        }
    }
}

TEST(ProtocolExportsRawTransportTest, ReceiveCopiesOnlyWhatFitsItsCapacity) {
    TavSim::SimulatedReader reader;
    reader.Model()->presentedCards.push_back({0x0107, 200, Bytes(25, 0x11)});
    TavSim::SerialBinaryFrontEnd frontEnd(reader);
    const TavTest::SimulatedFacade facade(frontEnd, 3);
    ASSERT_TRUE(facade.IsOpen());
    const unsigned char cardRead[] = {0xFA, 0x00, 0x00, 0x00, 0x24};

    // A serial reader's reply is as long as it is, whatever was asked for.
    Bytes reply(4096, 0xEE);
    ASSERT_TRUE(IsAllZero(Exports::Transmit(facade.Handle(), cardRead, sizeof cardRead, ReportType::Feature)));
    ASSERT_TRUE(IsAllZero(Exports::Receive(facade.Handle(), reply.data(), 4096, ReportType::Feature)));
    const auto replyEnd = std::find_if(reply.rbegin(), reply.rend(), [](uint8_t b) { return b != 0xEE; });
    const auto length = static_cast<unsigned int>(reply.rend() - replyEnd);
    ASSERT_GT(length, 25U);

    for (const unsigned int capacity : {length - 1, length}) {
        SCOPED_TRACE(capacity);
        Bytes buffer(length + 1, 0xEE);
        ASSERT_TRUE(IsAllZero(Exports::Transmit(facade.Handle(), cardRead, sizeof cardRead, ReportType::Feature)));
        const ProtocolCommandResult result =
            Exports::Receive(facade.Handle(), buffer.data(), capacity, ReportType::Feature);
        if (capacity < length) {
            ExpectOverflow(result,
                           "Received data exceeds buffer size. Actual bytes: " + std::to_string(length) +
                               ", Buffer capacity: " + std::to_string(capacity),
                           "Receive");
            EXPECT_EQ(result.Line, 814);
            EXPECT_EQ(buffer, Bytes(length + 1, 0xEE));
            continue;
        }
        EXPECT_TRUE(IsAllZero(result)) << result.Message;
        EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + length), Bytes(reply.begin(), reply.begin() + length));
        EXPECT_EQ(buffer[length], 0xEE);
    }
}

// The probe's transport answers every receive with exactly the number of bytes asked for.
TEST(ProtocolExportsRawTransportTest, ACapacityBeyondSixteenBitsAsksForTheLargestReceive) {
    const TavTest::ScopedProbeTransports transports;
    const ProtocolHandle handle = Exports::CreateProtocolInstance(ProbeDefinition(1), 0, nullptr);
    ASSERT_NE(handle, 0U);
    struct CapacityCase {
        unsigned int capacity;
        std::size_t asked;
    };
    for (const CapacityCase& row :
         {CapacityCase{0, 0}, CapacityCase{65535, 65535}, CapacityCase{65536, 65535}, CapacityCase{100000, 65535}}) {
        SCOPED_TRACE(row.capacity);
        Bytes buffer(std::size_t{row.capacity} + 1, 0);
        EXPECT_TRUE(IsAllZero(Exports::Receive(handle, buffer.data(), row.capacity, ReportType::Feature)));
        EXPECT_EQ(static_cast<std::size_t>(std::count(buffer.begin(), buffer.end(), 0xA5)), row.asked);
        EXPECT_EQ(buffer[row.asked], 0) << "the copy ends with what was received";
    }
    Exports::DestroyProtocolInstance(handle);
}

TEST(ProtocolExportsRawTransportTest, TransmitSendsEveryByteItIsGiven) {
    const TavTest::ScopedProbeTransports transports;
    const ProtocolHandle handle = Exports::CreateProtocolInstance(ProbeDefinition(1), 0, nullptr);
    ASSERT_NE(handle, 0U);
    Bytes large(70000);
    for (std::size_t i = 0; i < large.size(); ++i) {
        large[i] = static_cast<uint8_t>(i);
    }
    const unsigned char empty[1] = {0xFF};
    EXPECT_TRUE(IsAllZero(Exports::Transmit(handle, empty, 0, ReportType::Output)));
    EXPECT_TRUE(IsAllZero(
        Exports::Transmit(handle, large.data(), static_cast<unsigned int>(large.size()), ReportType::Feature)));
    Exports::DestroyProtocolInstance(handle);
    EXPECT_THAT(transports.probe().transmitted, ::testing::ElementsAre(Bytes{}, large));
}

// A wrapper added to the export layer without its rows fails here: the unknown-handle row of
// Wrappers(), a null-pointer row for each pointer it takes, and a capacity row for each array or
// buffer it fills (SizingCases or BufferCases).
TEST(ProtocolExportsTest, EveryWrapperHasItsRows) {
    // Refused by the facade itself, and by ProtocolExportsRawTransportTest on a serial reader.
    const std::set<std::string> nullRefusedByTheFacade = {"UpgradeFirmware: path"};
    const std::set<std::string> capacityTestedOnSerial = {"Receive"};

    std::set<std::string> withHandleRow;
    for (const WrapperCase& wrapper : Wrappers()) {
        withHandleRow.insert(wrapper.name);
    }
    NullCaseInputs inputs;
    std::set<std::string> withNullRow;
    for (const NullCase& row : NullCases(inputs)) {
        withNullRow.insert(std::string(row.function) + ": " + row.message);
    }
    std::set<std::string> withCapacityRow = capacityTestedOnSerial;
    for (const SizingCase& row : SizingCases(0)) {
        withCapacityRow.insert(row.function);
    }
    for (const BufferCase& row : BufferCases()) {
        withCapacityRow.insert(row.function);
    }

    const std::regex pointer(R"(\*\s*(\w+)$)");
    const std::regex capacity(
        R"(^(unsigned long bufferSize|unsigned int capacity|unsigned int\s*\*\s*\w*(Count|Size)))");
    const auto wrappers = TavTest::HandleWrappers();
    ASSERT_FALSE(wrappers.empty());
    for (const auto& wrapper : wrappers) {
        EXPECT_TRUE(withHandleRow.contains(wrapper.name)) << wrapper.name << " has no row in Wrappers()";
        bool fillsAnArray = false;
        for (const std::string& parameter : wrapper.parameters) {
            std::smatch match;
            if (std::regex_search(parameter, match, pointer) &&
                !nullRefusedByTheFacade.contains(wrapper.name + ": " + match[1].str())) {
                EXPECT_TRUE(withNullRow.contains(wrapper.name + ": " + match[1].str() + " pointer cannot be null"))
                    << wrapper.name << " has no null-pointer row for " << match[1];
            }
            fillsAnArray = fillsAnArray || std::regex_search(parameter, capacity);
        }
        if (fillsAnArray) {
            EXPECT_TRUE(withCapacityRow.contains(wrapper.name)) << wrapper.name << " has no capacity row";
        }
    }
}

// The rows above are checked against the wrappers, and the wrappers here against the facade: an
// operation added without its wrapper fails.
TEST(ProtocolExportsTest, EveryFacadeOperationHasAWrapper) {
    std::set<std::string> wrapped;
    for (const auto& wrapper : TavTest::HandleWrappers()) {
        wrapped.insert(wrapper.name);
    }
    const auto operations = TavTest::FacadeOperations();
    ASSERT_FALSE(operations.empty());
    for (const auto& operation : operations) {
        EXPECT_TRUE(wrapped.contains(operation.name))
            << operation.name << " has no handle-based wrapper in facade/ProtocolFacadeExports.h";
    }
}

// The two checks above read the headers' declarations: an operation and its wrapper are seen in
// every form the compiler takes them, beside a static call, a private member, a nested type, an
// operator and the export layer's functions that name no facade.
TEST(ProtocolExportsTest, DeclarationsAreReadInEveryForm) {
    struct Form {
        const char* label;
        const char* operation;
        const char* wrapper;
        std::vector<std::string> parameters;  // the operation's, as read
    };
    const Form forms[] = {
        {"one line",
         "ProtocolCommandResult Beep(unsigned char count) const;",
         "ProtocolCommandResult Beep(ProtocolHandle handle, unsigned char count);",
         {"unsigned char count"}},
        {"attribute in front",
         "[[nodiscard]] ProtocolCommandResult Beep(unsigned char count) const;",
         "[[nodiscard]] ProtocolCommandResult Beep(ProtocolHandle handle, unsigned char count);",
         {"unsigned char count"}},
        {"macro in front",
         "TAV_NODISCARD ProtocolCommandResult Beep(unsigned char count) const;",
         "TAV_NODISCARD ProtocolCommandResult Beep(ProtocolHandle handle, unsigned char count);",
         {"unsigned char count"}},
        {"over two lines",
         "[[nodiscard]]\n    ProtocolCommandResult\n    Beep(unsigned char count) const;",
         "ProtocolCommandResult Beep(\n    ProtocolHandle handle,\n    unsigned char count);",
         {"unsigned char count"}},
        {"specifiers",
         "virtual ProtocolCommandResult Beep(unsigned char count) const override;",
         "inline ProtocolCommandResult Beep(ProtocolHandle handle, unsigned char count) { return {}; }",
         {"unsigned char count"}},
        {"qualified return type",
         "TavProtocol::ProtocolCommandResult Beep(unsigned char count) const;",
         "::TavProtocol::ProtocolCommandResult Beep(TavProtocol::ProtocolHandle handle, unsigned char count);",
         {"unsigned char count"}},
        {"comments",
         "ProtocolCommandResult /* loud */ Beep(unsigned char count  // times\n) const;",
         "ProtocolCommandResult Beep(ProtocolHandle /* facade */, unsigned char count);",
         {"unsigned char count"}},
        {"default arguments",
         "ProtocolCommandResult Beep(unsigned char count = Count(1, 2),\n"
         "                           const std::map<int, std::string>& names = {{1, \"one, two\"}}) const;",
         "ProtocolCommandResult Beep(const ProtocolHandle facade, unsigned char count = 1);",
         {"unsigned char count", "const std::map<int, std::string>& names"}},
        {"trailing return type",
         "auto Beep(unsigned char count) const -> ProtocolCommandResult;",
         "auto Beep(ProtocolHandle h, unsigned char count) -> ProtocolCommandResult;",
         {"unsigned char count"}},
        {"template",
         "template <typename Count>\n    ProtocolCommandResult Beep(Count count) const;",
         "template <typename Count, typename = void> ProtocolCommandResult Beep(ProtocolHandle, Count count) {}",
         {"Count count"}},
        {"inline body",
         "ProtocolCommandResult Beep(unsigned char count) const {\n        return Run([&] { Send(count); });\n    }",
         "ProtocolCommandResult Beep(ProtocolHandle handle, unsigned char count);",
         {"unsigned char count"}},
    };
    // The form goes between these: in the facade's public part, and in the export layer.
    const std::string facadeBefore = R"(class ProtocolFacade : public Base {
    struct Key {
        explicit Key() = default;
    };

public:
    explicit ProtocolFacade(Key);
    ProtocolFacade& operator=(const ProtocolFacade&) = delete;
    static ProtocolCommandResult GetLibraryInfo(Tav::LibraryInfo& info);
    )";
    const std::string facadeAfter = R"(
    TavCommon::ProtocolType GetTransportProtocolType() const;

private:
    ProtocolCommandResult RunOperation(std::string_view name) const;
    std::atomic<bool> beingDestroyed_{false};
};
)";
    const std::string exportsBefore = R"(namespace TavProtocol {
namespace [[gnu::visibility("hidden")]] Exports {
void DestroyProtocolInstance(ProtocolHandle handle);
ProtocolCommandResult DiscoverUsbReaders(uint64_t* readerCount);
)";
    const std::string exportsAfter = R"(
}  // namespace Exports
}  // namespace TavProtocol
)";
    for (const Form& form : forms) {
        SCOPED_TRACE(form.label);
        const auto operations = TavTest::FacadeOperations(facadeBefore + form.operation + facadeAfter);
        ASSERT_EQ(operations.size(), 1u);
        EXPECT_EQ(operations[0].name, "Beep");
        EXPECT_EQ(operations[0].parameters, form.parameters);

        const auto wrappers = TavTest::HandleWrappers(exportsBefore + form.wrapper + exportsAfter);
        ASSERT_EQ(wrappers.size(), 1u);
        EXPECT_EQ(wrappers[0].name, "Beep");
    }
}

// A declaration the reader cannot be sure of stops the check instead of going unseen.
TEST(ProtocolExportsTest, DeclarationsTheReaderCannotReadStopTheCheck) {
    const char* const unreadable[] = {
        "#if TAV_WITH_BEEPER\n    ProtocolCommandResult Beep() const;\n#endif\n",
        "ProtocolCommandResult (*Beep(unsigned char count))(int);\n",
        "ProtocolCommandResult Beep() const TAV_DEPRECATED;\n",
        "ProtocolCommandResult Beep() const\n",
    };
    for (const char* text : unreadable) {
        SCOPED_TRACE(text);
        EXPECT_THROW(TavTest::FacadeOperations(std::string("class ProtocolFacade {\npublic:\n") + text + "};\n"),
                     std::runtime_error);
    }
}

TEST(ProtocolExportsTest, LibraryInfoIsTheProtocolLibrarysRecord) {
    Tav::LibraryInfo expected;
    TavProtocol::BuildProtocolLibraryInfo(expected);
    Tav::LibraryInfo info;
    std::memset(&info, 0x5A, sizeof info);
    EXPECT_EQ(Exports::GetLibraryInfo(&info), &info);
    EXPECT_EQ(std::memcmp(&info, &expected, sizeof info), 0);
    EXPECT_EQ(Exports::GetLibraryInfo(nullptr), nullptr);
}

}  // namespace
