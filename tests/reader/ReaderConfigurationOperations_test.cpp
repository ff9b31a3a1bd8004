#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <string>
#include <vector>

#include "Tavelin/ReaderException.h"
#include "files/BleHwgFileParser.h"
#include "files/HwgFileParser.h"
#include "reader/BleBlobFirmwareBytes.h"
#include "reader/ReaderOnSimulator.h"
#include "support/TempDir.h"

namespace {

using TavTest::PlainElvarinFailure;
using TavTest::ReaderOnSimulator;
using TavTest::Wire;
using Bytes = std::vector<uint8_t>;

constexpr std::size_t kBlock2 = 1;
constexpr std::size_t kBlock5 = 4;
// Block 2, byte 7: ReverseAllBytes, AsciiExtended, ExtendedMode, Vastrel in bits 4 to 7.
constexpr std::size_t kCapabilityByte = 7;
constexpr uint8_t kReverseAllBytes = 0x10;

struct Refused {
    std::string message;
    std::string file;
    int line = 0;
};

Refused RefusalOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const ElvarinException& error) {
        return {error.Message(), error.File(), error.Line()};
    }
    ADD_FAILURE() << "nothing thrown";
    return {};
}

void SetCapabilityBits(ReaderOnSimulator& simulated, std::initializer_list<uint8_t> perConfiguration) {
    auto model = simulated.sim.Model();
    std::size_t index = 0;
    for (const uint8_t bits : perConfiguration) {
        model->configurations[index++].blocks[kBlock2][kCapabilityByte] = bits;
    }
}

TavCommon::ReaderConfiguration HostConfiguration() {
    TavCommon::ReaderConfiguration configuration;
    configuration.SetFacDigitCount(5).SetDataHoldTimeMs(12750).SetDisableKeystroking(1).SetCardType(0x0206);
    // The reader's own and never-stored fields: whatever the host says, they are not sent.
    configuration.SetUxLed(1).SetEnableVastrelMode(1).SetReaderSupportsReverseAllBytes(0);
    return configuration;
}

TEST(ReaderConfigurationOperations, WritesTheBlocksWithTheReadersCapabilityBitsStoresAndReadsBack) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    SetCapabilityBits(simulated, {0x10, 0x10, 0x10, 0x10});
    Tav::Reader& reader = simulated.OpenInitialised();
    const uint32_t writesBefore = simulated.sim.Model()->configurationWrites;

    reader.SetReaderConfiguration(2, HostConfiguration(), TavCommon::ExtendedConfiguration{}, TavCommon::HashData{});

    {
        auto model = simulated.sim.Model();
        const auto& blocks = model->configurations[2].blocks;
        EXPECT_EQ(blocks[kBlock2][kCapabilityByte], kReverseAllBytes);
        EXPECT_EQ(blocks[kBlock2][2], 255) << "12,750 ms in units of 50";
        EXPECT_EQ(blocks[kBlock5][1], 0x06);
        EXPECT_EQ(blocks[kBlock5][2], 0x02);
        EXPECT_EQ(model->configurationWrites, writesBefore + 1);
    }
    TavCommon::ReaderConfiguration readBack;
    TavCommon::ExtendedConfiguration extended;
    reader.GetReaderConfiguration(2, readBack, extended);
    TavCommon::ReaderConfiguration expected = HostConfiguration();
    expected.EnableVastrelMode = 0;  // the reader's, not the host's
    EXPECT_EQ(readBack, expected);
    EXPECT_EQ(readBack.UxLed, 0);
    EXPECT_EQ(readBack.ReaderSupportsReverseAllBytes, 1);
}

// Configurations that disagree on their capability bits leave the flags unknown: each keeps its own.
TEST(ReaderConfigurationOperations, UnknownCapabilityFlagsKeepWhatTheConfigurationHolds) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    SetCapabilityBits(simulated, {0x10, 0x00, 0x80, 0x00});
    Tav::Reader& reader = simulated.OpenInitialised();
    ASSERT_FALSE(reader.CapabilityFlagsKnown());
    reader.SetReaderConfiguration(2, HostConfiguration(), TavCommon::ExtendedConfiguration{}, TavCommon::HashData{});
    EXPECT_EQ(simulated.sim.Model()->configurations[2].blocks[kBlock2][kCapabilityByte], 0x80);
}

TEST(ReaderConfigurationOperations, KeystrokingIsRefusedBeforeAnyExchangeOnAReaderWithout) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    simulated.sim.Model()->partNumber = "TAV-2SIM-0001";
    Tav::Reader& reader = simulated.OpenInitialised();
    TavCommon::ReaderConfiguration keystroking = HostConfiguration();
    keystroking.DisableKeystroking = 0;
    const Refused refused = RefusalOf([&] {
        reader.SetReaderConfiguration(1, keystroking, TavCommon::ExtendedConfiguration{}, TavCommon::HashData{});
    });
    EXPECT_EQ(refused.message,
              "Cannot enable keystroking on this reader. The reader does not support keystroking "
              "(READER_CAPABILITY_KEYSTROKING).");
    EXPECT_EQ(refused.line, 343);
    EXPECT_TRUE(simulated.Phrases().empty());
    EXPECT_NO_THROW(
        reader.SetReaderConfiguration(1, HostConfiguration(), TavCommon::ExtendedConfiguration{}, TavCommon::HashData{}));
}

TEST(ReaderConfigurationOperations, AnInvalidExtendedConfigurationIsSkippedAndTheBlocksStored) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    SetCapabilityBits(simulated, {0x40, 0x40, 0x40, 0x40});
    Tav::Reader& reader = simulated.OpenInitialised();
    const uint32_t writesBefore = simulated.sim.Model()->configurationWrites;
    TavCommon::ExtendedConfiguration invalid;  // structure version 0
    reader.SetReaderConfiguration(0, HostConfiguration(), invalid, TavCommon::HashData{});
    EXPECT_EQ(simulated.sim.Model()->configurationWrites, writesBefore + 1);
    EXPECT_EQ(simulated.sim.Model()->configurations[0].blocks[kBlock2][2], 255);
}

class HwgFiles : public testing::Test {
protected:
    TavTest::TempDir folder;
    std::string File(const std::string& name) const { return (folder.Path() / name).string(); }
};

TEST_F(HwgFiles, ABackupRestoresEveryConfiguration) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Tav::Reader& reader = simulated.OpenInitialised();
    reader.SetReaderConfiguration(3, HostConfiguration(), TavCommon::ExtendedConfiguration{}, TavCommon::HashData{});
    const auto saved = simulated.sim.Model()->configurations;
    reader.ReadHwgFileFromReader(File("backup.hwg"), true);

    reader.SetReaderConfiguration(3, TavCommon::ReaderConfiguration{}.SetDisableKeystroking(1),
                                  TavCommon::ExtendedConfiguration{}, TavCommon::HashData{});
    ASSERT_NE(simulated.sim.Model()->configurations[3].blocks, saved[3].blocks);
    reader.WriteHwgFileToReader(File("backup.hwg"));
    EXPECT_EQ(simulated.sim.Model()->configurations[3].blocks, saved[3].blocks);
}

TEST_F(HwgFiles, RefusesWhatCannotBeRestoredOrSaved) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Tav::Reader& reader = simulated.OpenInitialised();
    reader.ReadHwgFileFromReader(File("four.hwg"), true);

    // Tested before the capability, so also on a reader that was never initialised.
    ReaderOnSimulator fresh(Wire::FeatureReport);
    Refused refused;
    // A name that starts with its only dot is a hidden file without an extension.
    for (const std::string name : {"four.HWG", ".hwg"}) {
        refused = RefusalOf([&] { fresh.Open().WriteHwgFileToReader(File(name)); });
        EXPECT_EQ(refused.message, "File '" + File(name) + "' is not a valid HWG file.");
        EXPECT_EQ(refused.line, 672);
    }

    simulated.sim.Model()->configurationCount = 3;
    reader.RefreshMetadata();
    refused = RefusalOf([&] { reader.WriteHwgFileToReader(File("four.hwg")); });
    EXPECT_EQ(refused.message, "Number of configurations in HWG file-4 does not match reader's configuration count-3.");
    EXPECT_EQ(refused.line, 678);

    // A backup of no configuration could never be loaded: none is written.
    simulated.sim.Model()->configurationCount = 0;
    reader.RefreshMetadata();
    refused = RefusalOf([&] { reader.ReadHwgFileFromReader(File("none.hwg"), true); });
    EXPECT_TRUE(refused.message.starts_with("Cannot save an HWG file: the reader's configuration count is unknown."))
        << refused.message;
    EXPECT_FALSE(std::filesystem::exists(File("none.hwg")));
}

// The card type and priority lines close each configuration of a file of several; a file of one
// has none, and the last configuration of several may lack them.
TEST_F(HwgFiles, AConfigurationWithoutCardSelectionLinesKeepsTheReadersCardSelection) {
    for (const std::size_t count : {1u, 3u}) {
        SCOPED_TRACE(count);
        ReaderOnSimulator simulated(Wire::FeatureReport);
        {
            auto model = simulated.sim.Model();
            model->configurationCount = static_cast<int>(count);
            for (auto& configuration : model->configurations) {
                configuration.blocks[kBlock5] = {0, 0x06, 0x6F, 1, 0, 0, 0, 0};
            }
        }
        Tav::Reader& reader = simulated.OpenInitialised();
        const std::string path = File("cards.hwg");
        WriteConfigurationToHwgFile(std::vector<TavCommon::ReaderConfiguration>(count, HostConfiguration()),
                                    std::vector<TavCommon::ExtendedConfiguration>(count), path,
                                    {"1.0", "Unknown", false});
        if (count > 1) {
            std::string text;
            {
                std::ifstream file(path);
                text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
            }
            std::ofstream(path, std::ios::trunc) << text.substr(0, text.rfind("CardType: "));
        }
        const auto records = ReadConfigurationFromHwgFile(path);
        ASSERT_EQ(records.size(), count);
        ASSERT_FALSE(records.back().HasCardSelection);
        reader.WriteHwgFileToReader(path);
        auto model = simulated.sim.Model();
        const auto& kept = model->configurations[count - 1].blocks[kBlock5];
        EXPECT_EQ(kept[1], 0x06);
        EXPECT_EQ(kept[2], 0x6F);
        EXPECT_EQ(kept[3], 1);
        if (count > 1) {
            const auto& fromFile = model->configurations[0].blocks[kBlock5];
            EXPECT_EQ(fromFile[1], 0x06);
            EXPECT_EQ(fromFile[2], 0x02);
            EXPECT_EQ(fromFile[3], 0);
        }
    }
}

class BleFiles : public HwgFiles {
protected:
    std::string Saved(TavCommon::BleDataType type, const Bytes& bytes, const std::string& name) const {
        TavCommon::ReaderBleConfiguration record;
        record.SetBleDataType(type).SetBleData(bytes);
        WriteBleConfigurationToBleHwgFile(record, File(name), {"1.0", "Unknown", true}, true);
        return File(name);
    }
};

TEST_F(BleFiles, ADataFileIsWrittenWithTheFirmwareManagedBytesForced) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    simulated.sim.Model()->hardwareInstalled = 1u << 6;  // RF HID BLE
    Tav::Reader& reader = simulated.OpenInitialised();
    reader.WriteBleConfigurationToReader(TavCommon::BleDataType::Data,
                                         Saved(TavCommon::BleDataType::Data, Bytes(384, 0), "data.hwg"));
    const Bytes written = simulated.sim.Model()->bleData[1];
    ASSERT_EQ(written.size(), 384u);
    EXPECT_EQ(written[146], 0x44);
    EXPECT_EQ(written[213], 0xFC);
    EXPECT_EQ(written[145], 0x00);
    EXPECT_EQ(std::count(written.begin(), written.end(), 0), 384 - 6);
}

TEST_F(BleFiles, AKeyFileServesTheBareKeyOfSixteenBytes) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Tav::Reader& reader = simulated.OpenInitialised();
    const Bytes key{0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
    reader.WriteBleConfigurationToReader(TavCommon::BleDataType::UnencryptedKey,
                                         Saved(TavCommon::BleDataType::Key, key, "bare.hwg"));
    EXPECT_EQ(simulated.sim.Model()->bleData[3], key);
}

TEST_F(BleFiles, RefusesFilesOfTheWrongTypeOrSize) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Tav::Reader& reader = simulated.OpenInitialised();
    const std::string data = Saved(TavCommon::BleDataType::Data, Bytes(384, 1), "data.hwg");
    const std::string key = Saved(TavCommon::BleDataType::Key, Bytes(128, 2), "key.hwg");
    struct Case {
        TavCommon::BleDataType type;
        std::string file;
        std::string message;
        int line;
    };
    const std::vector<Case> cases{
        {TavCommon::BleDataType::Key, data, "Invalid BLE configuration file: Expected BLE Key type, got Data type.", 860},
        {TavCommon::BleDataType::Data, key, "Invalid BLE configuration file: Expected BLE Data type, got Key type.", 860},
        {TavCommon::BleDataType::UnencryptedKey, key,
         "Invalid BLE configuration data size. Expected 16 bytes, got 128 bytes.", 872},
    };
    for (const Case& c : cases) {
        const Refused refused = RefusalOf([&] { reader.WriteBleConfigurationToReader(c.type, c.file); });
        EXPECT_EQ(refused.message, c.message);
        EXPECT_EQ(refused.line, c.line);
    }
    const Refused missing = RefusalOf([&] { reader.WriteBleConfigurationToReader(TavCommon::BleDataType::Key, File("none")); });
    EXPECT_TRUE(missing.message.starts_with("Failed to read BLE configuration file: ")) << missing.message;
    EXPECT_EQ(missing.line, 850);
    EXPECT_TRUE(simulated.sim.Model()->bleData.empty());
}

TEST_F(BleFiles, ReadsTheReadersDataIntoAFile) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Bytes data(384);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 7);
    }
    simulated.sim.Model()->bleData[1] = data;
    Tav::Reader& reader = simulated.OpenInitialised();
    reader.ReadBleConfigurationFromReader(TavCommon::BleDataType::Data, File("read.hwg"));
    EXPECT_EQ(ReadBleConfigurationFromBleHwgFile(File("read.hwg")).ToVector(), data);
    // A file that cannot be saved is the file code's own failure, not the reader's.
    EXPECT_EQ(PlainElvarinFailure([&] {
                  reader.ReadBleConfigurationFromReader(TavCommon::BleDataType::Data, File("missing/read.hwg"));
              }),
              "Failed to open BLE HWG file for writing: " + File("missing/read.hwg") + " (No such file or directory)");
}

TEST(BleBlobFirmwareBytes, ForcesEachManagedByteInPositionOrder) {
    Bytes blob(384, 0);
    blob[145] = 0x12;
    const auto withBle = Tav::FindBleBlobMismatches(blob, true);
    ASSERT_EQ(withBle.size(), 7u);
    EXPECT_EQ(withBle[0], (Tav::BleBlobMismatch{145, 0x12, 0x00}));
    EXPECT_EQ(withBle[1], (Tav::BleBlobMismatch{146, 0x00, 0x44}));
    EXPECT_EQ(blob[194], 0xC1);
    EXPECT_TRUE(Tav::FindBleBlobMismatches(blob, true).empty());
    Bytes shortBlob(150, 0x44);
    const auto without = Tav::FindBleBlobMismatches(shortBlob, false);
    EXPECT_EQ(without.size(), 4u) << "positions beyond the blob are skipped";
}

}  // namespace
