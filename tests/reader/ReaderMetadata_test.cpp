#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/FixedText.h"
#include "reader/ReaderOnSimulator.h"

namespace {

using TavTest::ReaderOnSimulator;
using TavTest::Wire;
using ::testing::ElementsAre;
using Bytes = std::vector<uint8_t>;

std::string Text(const char (&field)[512]) { return std::string(TavCommon::ReadFixedField(field)); }

// Block 2's capability flags sit in its byte 7: bit 4 reverse-all-bytes, 5 extended ASCII,
// 6 extended mode, 7 Vastrel mode.
void SetBlock2Flags(TavSim::DeviceModel& model, std::size_t configuration, uint8_t flagBits) {
    model.configurations.at(configuration).blocks[1][7] = static_cast<uint8_t>(flagBits << 4);
}

void FillIdentity(TavSim::DeviceModel& model) {
    model.partNumber = "AB-1234-01";
    model.strings[1] = "Reader string two";
    model.strings[3] = "FW 4.5.6";
    model.strings[6] = "Desk model X";
    model.controlFirmware[0] = {0, {1, 2, 3, 4}};
    model.controlFirmware[2] = {0, {0, 0, 0, 9}};
    model.radioFirmware[1] = {1, {5, 6, 7, 8}};
    model.samFirmware[0] = {4, {0, 0, 1, 0}};  // HID SE
    model.bluetoothFirmware = {2, 3, 1, 0x0102};
    model.hardwareSupported = 0x3FF;  // all ten items
    model.hardwareInstalled = 0x0A;   // RF AMS and RF Legic
    model.transparentModeSupported = true;
    model.configurationCount = 3;
    for (std::size_t i = 0; i < 3; ++i) {
        SetBlock2Flags(model, i, 0b0101);  // reverse-all-bytes and extended mode
    }
}

TEST(ReaderMetadata, InitFillsTheRecordFromAFeatureReportReader) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    FillIdentity(*simulated.sim.Model());
    Tav::Reader& reader = simulated.Open();
    reader.Init();
    const ReaderMetadataStruct m = reader.GetMetadataStruct(false);

    EXPECT_EQ(Text(m.MicrocontrollerName), "STM32???");
    EXPECT_EQ(m.MicrocontrollerNameAvailable, 1);
    EXPECT_EQ(Text(m.ReservedText1), "Unknown");
    EXPECT_EQ(Text(m.ReservedText2), "Unknown");
    EXPECT_EQ(Text(m.DeviceIdText), "1A2B:00C4 (SN-0042)");
    EXPECT_EQ(m.DeviceIdTextAvailable, 1);
    EXPECT_EQ(Text(m.PartNumber), "AB-1234-01");
    EXPECT_EQ(m.PartNumberAvailable, 1);
    EXPECT_EQ(static_cast<int>(m.ConfigurationCount), 3);  // a copy: the field is unaligned
    EXPECT_EQ(m.ConfigurationCountAvailable, 1);
    EXPECT_EQ(Text(m.ReaderString2), "Reader string two");
    EXPECT_EQ(Text(m.Esn), "ESN0000000000001");
    EXPECT_EQ(m.EsnAvailable, 1);
    EXPECT_EQ(Text(m.ModelText), "Desk model X");
    EXPECT_EQ(Text(m.FirmwareVersionText), "FW 4.5.6");
    EXPECT_EQ(m.FirmwareVersionTextAvailable, 1);

    EXPECT_EQ(m.InstalledHardwareAvailable, 1);
    EXPECT_THAT(std::vector<uint8_t>(m.InstalledHardware, m.InstalledHardware + 18),
                ElementsAre(1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 0, 1, 0, 0, 0, 0));
    const std::string hardware =
        "SAM SE: Supported (Not installed)\nRF AMS: Supported (Installed)\nRF 125: Supported (Not installed)\n"
        "RF Legic: Supported (Installed)\nRF BLE: Supported (Not installed)\nNXP: Supported (Not installed)\n"
        "RF HID BLE: Supported (Not installed)\nFelica: Supported (Not installed)\n"
        "Beeper: Supported (Not installed)\nNano: Supported (Not installed)";
    EXPECT_EQ(Text(m.HardwareListText), hardware);
    EXPECT_EQ(Text(m.HardwareSummaryText), hardware);
    EXPECT_EQ(m.HardwareSummaryTextAvailable, 1);

    // Versions keep the reply's record: version bytes, class, module type.
    EXPECT_THAT(Bytes(m.ControlFirmwareVersion0, m.ControlFirmwareVersion0 + 6), ElementsAre(1, 2, 3, 4, 0, 0));
    EXPECT_EQ(m.ControlFirmwareVersion0Available, 1);
    EXPECT_EQ(m.ControlFirmwareVersion1Available, 0);
    EXPECT_THAT(Bytes(m.ControlFirmwareVersion2, m.ControlFirmwareVersion2 + 6), ElementsAre(0, 0, 0, 9, 0, 2));
    EXPECT_EQ(m.ControlFirmwareVersion2Available, 1);
    EXPECT_EQ(m.RadioFirmwareVersion0Available, 0);
    EXPECT_THAT(Bytes(m.RadioFirmwareVersion1, m.RadioFirmwareVersion1 + 6), ElementsAre(5, 6, 7, 8, 1, 1));
    EXPECT_EQ(m.RadioFirmwareVersion1Available, 1);
    EXPECT_EQ(m.BluetoothFirmwareVersionAvailable, 1);
    EXPECT_EQ(m.HidSeSamFirmwareVersionAvailable, 1);
    EXPECT_EQ(m.NxpSamFirmwareVersionAvailable, 0);
    EXPECT_EQ(m.FelicaSamFirmwareVersionAvailable, 0);

    EXPECT_EQ(m.ProtocolType, 1);
    EXPECT_EQ(m.TransparentModeFlag, 1);
    EXPECT_EQ(m.SupportsReverseAllBytes, 1);
    EXPECT_EQ(m.SupportsAsciiExtended, 0);
    EXPECT_EQ(m.SupportsExtendedMode, 1);
    EXPECT_EQ(m.VastrelMode, 0);
    EXPECT_TRUE(reader.CapabilityFlagsKnown());

    std::vector<Bytes> expected;
    const auto phrase = [&expected](std::initializer_list<uint8_t> bytes) {
        Bytes padded(bytes);
        padded.resize(8, 0);
        expected.push_back(padded);
    };
    for (uint8_t k = 0; k < 4; ++k) phrase({0x8C, 0x05, k});               // ESN
    for (uint8_t k = 0; k < 3; ++k) phrase({0x8C, 0x04, 2, k});            // string 2, to its NUL
    for (uint8_t k = 0; k < 2; ++k) phrase({0x8C, 0x04, 7, k});            // string 7
    for (uint8_t k = 0; k < 2; ++k) phrase({0x8C, 0x04, 4, k});            // string 4
    for (uint8_t k = 0; k < 3; ++k) phrase({0x8C, 0x01, k});               // part number
    phrase({0x89, 0x04, 0});                                               // supported cards
    for (uint8_t t = 0; t < 3; ++t) phrase({0x89, 0x03, 0, t});            // control versions
    phrase({0x89, 0x03, 2, 0});                                            // Bluetooth version
    for (uint8_t t = 0; t < 3; ++t) phrase({0x89, 0x03, 1, t});            // radio versions
    phrase({0x89, 0x03, 4, 3});                                            // FeliCa SAM
    phrase({0x89, 0x03, 4, 0});                                            // HID SE SAM
    phrase({0x89, 0x03, 4, 1});                                            // NXP SAM
    phrase({0x89, 0x01});                                                  // active configuration
    phrase({0x8C, 0x00});                                                  // transparent mode
    phrase({0x89, 0x05});                                                  // installed hardware
    for (uint8_t c = 0; c < 3; ++c) {
        phrase({0x89, 0x81, c});  // each configuration's block 2
        phrase({0x81});
    }
    phrase({0x89, 0x81, 0});  // configuration 0 active again
    EXPECT_EQ(simulated.Phrases(), expected);
    EXPECT_EQ(simulated.sim.Model()->activeConfiguration, 0);
}

std::vector<std::string> HexPhrases(const std::vector<Bytes>& phrases) {
    std::vector<std::string> texts;
    for (const Bytes& phrase : phrases) {
        std::string text;
        for (const uint8_t byte : phrase) {
            text += fmt::format("{:02X}", byte);
        }
        texts.push_back(text);
    }
    return texts;
}

// What an Init sends to an MFP24 or serial reader holding the identity of FillIdentity: the
// operations the protocol has, in the population's order.
std::vector<std::string> ExpectedInitPhrases(Wire wire) {
    if (wire == Wire::Mfp24) {
        // 24 characters: the command, '0' filling, a carriage return.
        const auto command = [](std::string text) {
            text.resize(23, '0');
            return HexPhrases({Bytes(text.begin(), text.end())})[0] + "0D";
        };
        return {command("QRZ01"),   // part number
                command("QCT"),     // supported cards
                command("QSX05"),   // Bluetooth version
                command("QSX07")};  // installed hardware
    }
    {
        // No Bluetooth, SAM or transparent-mode read on a serial reader.
        return {"FA08000000", "FA08010000", "FA08020000", "FA08030000", "FA08040000",  // ESN
                "FA0C040200", "FA0C040201", "FA0C040202",                              // string 2
                "FA0C040700", "FA0C040701", "FA0C040400", "FA0C040401",                // strings 7, 4
                "FA0C010000", "FA0C010100", "FA0C010200",                              // part number
                "FA09040000",                                                          // supported cards
                "FA09030000", "FA09030001", "FA09030002",                              // control versions
                "FA09030100", "FA09030101", "FA09030102",                              // radio versions
                "FA09010000", "FA09050000",                                            // configurations, hardware
                "FA09810000", "FA01010008", "FA09810100", "FA01010008", "FA09810200", "FA01010008",
                "FA09810000"};
    }
    return {};
}

class ReaderMetadataOnEachWire : public ::testing::TestWithParam<Wire> {};

TEST_P(ReaderMetadataOnEachWire, ReadsIdentityAndHardware) {
    ReaderOnSimulator simulated(GetParam());
    FillIdentity(*simulated.sim.Model());
    Tav::Reader& reader = simulated.Open();
    reader.Init();
    const ReaderMetadataStruct m = reader.GetMetadataStruct(false);
    EXPECT_EQ(m.ProtocolType, static_cast<uint8_t>(GetParam()));
    EXPECT_EQ(Text(m.PartNumber), "AB-1234-01");
    EXPECT_EQ(m.InstalledHardwareAvailable, 1);
    EXPECT_EQ(m.InstalledHardware[13], 1);
    EXPECT_EQ(Text(m.DeviceIdText), "1A2B:00C4 (SN-0042)");
    if (GetParam() != Wire::FeatureReport) {  // the first test has the feature-report phrases
        EXPECT_EQ(HexPhrases(simulated.Phrases()), ExpectedInitPhrases(GetParam()));
    }
    if (GetParam() == Wire::Mfp24) {
        // The protocol has no configuration commands: no count, no scan, the flags unknown.
        EXPECT_EQ(m.ConfigurationCountAvailable, 0);
        EXPECT_FALSE(reader.CapabilityFlagsKnown());
    } else {
        EXPECT_EQ(Text(m.Esn), "ESN0000000000001");
        EXPECT_EQ(Text(m.ModelText), "Desk model X");
        EXPECT_EQ(static_cast<int>(m.ConfigurationCount), 3);  // a copy: the field is unaligned
        EXPECT_EQ(m.SupportsExtendedMode, 1);
        EXPECT_TRUE(reader.CapabilityFlagsKnown());
    }
}

TEST_P(ReaderMetadataOnEachWire, AReaderThatAnswersNothingLeavesOnlyWhatNeedsNoExchange) {
    ReaderOnSimulator simulated(GetParam());
    FillIdentity(*simulated.sim.Model());
    Tav::Reader& reader = simulated.Open();
    simulated.sim.Disconnect();
    reader.Init();
    ReaderMetadataStruct expected;
    std::memset(&expected, 0, sizeof expected);
    TavCommon::CopyToFixedField(expected.MicrocontrollerName, "STM32???");
    expected.MicrocontrollerNameAvailable = 1;
    TavCommon::CopyToFixedField(expected.ReservedText1, "Unknown");
    expected.ReservedText1Available = 1;
    TavCommon::CopyToFixedField(expected.ReservedText2, "Unknown");
    expected.ReservedText2Available = 1;
    TavCommon::CopyToFixedField(expected.DeviceIdText, "1A2B:00C4 (SN-0042)");
    expected.DeviceIdTextAvailable = 1;
    expected.ProtocolType = static_cast<uint8_t>(GetParam());
    const ReaderMetadataStruct m = reader.GetMetadataStruct(false);
    EXPECT_EQ(std::memcmp(&m, &expected, sizeof m), 0);
}

INSTANTIATE_TEST_SUITE_P(Wires, ReaderMetadataOnEachWire,
                         ::testing::Values(Wire::FeatureReport, Wire::Mfp24, Wire::SerialBinary),
                         [](const auto& info) { return std::string(TavTest::WireParamName(info.param)); });

struct ScanCase {
    const char* name;
    uint8_t count;
    std::vector<uint8_t> flagBits;        // block 2 flags of each configuration
    std::vector<uint8_t> unreadable;      // configurations whose selection fails
    std::vector<Bytes> scanPhrases;       // what the scan sends, after the hardware read
    uint8_t reverse, ascii, extended, vastrel;
    bool known;
};

class ConfigurationScan : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ConfigurationScan, ComparesBlockTwoAcrossConfigurations) {
    const ScanCase& c = GetParam();
    ReaderOnSimulator simulated(Wire::FeatureReport);
    {
        auto model = simulated.sim.Model();
        model->configurationCount = c.count;
        model->activeConfiguration = c.count > 1 ? 1 : 0;
        for (std::size_t i = 0; i < c.flagBits.size(); ++i) {
            SetBlock2Flags(*model, i, c.flagBits[i]);
        }
    }
    for (const uint8_t index : c.unreadable) {
        simulated.InjectFault(TavSim::FaultTrigger::OnCommand({0x89, 0x81, index}), TavSim::Fault::NoReply());
    }
    Tav::Reader& reader = simulated.Open();
    reader.Init();  // an inconsistency never fails Init
    const ReaderMetadataStruct m = reader.GetMetadataStruct(false);

    std::vector<Bytes> phrases = simulated.Phrases();
    const auto hardware = std::find(phrases.begin(), phrases.end(), Bytes{0x89, 0x05, 0, 0, 0, 0, 0, 0});
    ASSERT_NE(hardware, phrases.end());
    std::vector<Bytes> scan(hardware + 1, phrases.end());
    for (Bytes& phrase : scan) {
        phrase.resize(3);
    }
    EXPECT_EQ(scan, c.scanPhrases);
    EXPECT_EQ(m.SupportsReverseAllBytes, c.reverse);
    EXPECT_EQ(m.SupportsAsciiExtended, c.ascii);
    EXPECT_EQ(m.SupportsExtendedMode, c.extended);
    EXPECT_EQ(m.VastrelMode, c.vastrel);
    EXPECT_EQ(reader.CapabilityFlagsKnown(), c.known);
}

const Bytes kSelect0{0x89, 0x81, 0};
const Bytes kSelect1{0x89, 0x81, 1};
const Bytes kSelect2{0x89, 0x81, 2};
const Bytes kBlock2{0x81, 0, 0};

const ScanCase kScanCases[] = {
    {"NoConfigurationsNoScan", 0, {}, {}, {}, 0, 0, 0, 0, false},
    {"ThreeThatAgree", 3, {0b1010, 0b1010, 0b1010}, {},
     {kSelect0, kBlock2, kSelect1, kBlock2, kSelect2, kBlock2, kSelect0}, 0, 1, 0, 1, true},
    {"SecondDiffers", 3, {0b0001, 0b0011, 0b0001}, {}, {kSelect0, kBlock2, kSelect1, kBlock2, kSelect0}, 0, 0, 0, 0,
     false},
    {"UnreadableOneIsSkipped", 3, {0b0100, 0b1111, 0b0100}, {1},
     {kSelect0, kBlock2, kSelect1, kSelect2, kBlock2, kSelect0}, 0, 0, 1, 0, true},
};

INSTANTIATE_TEST_SUITE_P(Table, ConfigurationScan, ::testing::ValuesIn(kScanCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReaderMetadata, TextsAreCutToTheFieldAndBlankOnesAreNotAvailable) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    {
        auto model = simulated.sim.Model();
        model->strings[6] = std::string(600, 'm');
        model->strings[1] = " \t \n";
        model->strings[3] = "\xE9\xA0 ";  // bytes above 0x7F are text, not blanks
    }
    Tav::Reader& reader = simulated.Open();
    reader.Init();
    const ReaderMetadataStruct m = reader.GetMetadataStruct(false);
    EXPECT_EQ(Text(m.ModelText), std::string(511, 'm'));
    EXPECT_EQ(m.ModelTextAvailable, 1);
    EXPECT_EQ(Text(m.ReaderString2), " \t \n");
    EXPECT_EQ(m.ReaderString2Available, 0);
    EXPECT_EQ(m.FirmwareVersionTextAvailable, 1);
}

TEST(ReaderMetadata, ReadOnFirstRequestThenCopiedAndReadAfreshOnRefresh) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    FillIdentity(*simulated.sim.Model());
    Tav::Reader& reader = simulated.Open();
    EXPECT_EQ(Text(reader.GetMetadataStruct(false).PartNumber), "AB-1234-01");
    const std::size_t firstRead = simulated.Phrases().size();
    EXPECT_GT(firstRead, 0U);
    EXPECT_EQ(Text(reader.GetMetadataStruct(false).PartNumber), "AB-1234-01");
    EXPECT_EQ(simulated.Phrases().size(), firstRead);

    // A refresh starts from nothing: a value the reader no longer gives is gone.
    simulated.sim.Model()->strings[6].clear();
    simulated.sim.Model()->partNumber = "CD-5678";
    reader.RefreshMetadata();
    const ReaderMetadataStruct m = reader.GetMetadataStruct(false);
    EXPECT_EQ(Text(m.PartNumber), "CD-5678");
    EXPECT_EQ(m.ModelTextAvailable, 0);
    EXPECT_EQ(Text(reader.GetMetadataStruct(true).PartNumber), "CD-5678");
    EXPECT_GT(simulated.Phrases().size(), 2 * firstRead);
}

}  // namespace
