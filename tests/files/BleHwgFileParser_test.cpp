#include "files/BleHwgFileParser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "FileFixture.h"

namespace {

using TavCommon::BleDataType;
using TavCommon::HwgFileVersionInfo;
using TavCommon::ReaderBleConfiguration;

const HwgFileVersionInfo kVersions{"V2.04 Build 17", "3.1.0", false};

ReaderBleConfiguration Record(BleDataType type, std::size_t count, uint8_t start, uint8_t step) {
    std::vector<uint8_t> bytes;
    for (std::size_t i = 0; i < count; ++i) {
        bytes.push_back(static_cast<uint8_t>(start + step * i));
    }
    ReaderBleConfiguration record{};
    record.SetBleDataType(type).SetBleData(bytes);
    return record;
}

// The records of the golden files.
ReaderBleConfiguration DataRecord() { return Record(BleDataType::Data, 384, 3, 7); }
ReaderBleConfiguration KeyRecord() { return Record(BleDataType::Key, 20, 0xA0, 1); }

std::string Repeat(const std::string& text, int times) {
    std::string repeated;
    for (int i = 0; i < times; ++i) {
        repeated += text;
    }
    return repeated;
}

class BleHwgFileTest : public TavTest::FileFixture {};

TEST_F(BleHwgFileTest, WritesTheGoldenFilesByteForByteAndReadsThemBack) {
    const struct {
        const char* golden;
        ReaderBleConfiguration record;
    } cases[] = {{"ble_data.hwg", DataRecord()}, {"ble_key.hwg", KeyRecord()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.golden);
        const std::string path = PathOf("ble.hwg");
        WriteBleConfigurationToBleHwgFile(c.record, path, kVersions, true);
        EXPECT_EQ(Read(path), Golden(c.golden));
        EXPECT_EQ(ReadBleConfigurationFromBleHwgFile(path), c.record);

        WriteBleConfigurationToBleHwgFile(c.record, path, kVersions, false);
        EXPECT_EQ(Read(path), WithoutTrailer(Golden(c.golden)));
        EXPECT_EQ(ReadBleConfigurationFromBleHwgFile(path), c.record);
    }
}

TEST_F(BleHwgFileTest, EveryTypeButDataIsTheKeySection) {
    const std::string path = PathOf("ble.hwg");
    for (const auto& [type, section] :
         {std::pair{BleDataType::Key, "sFldBleData2"}, std::pair{BleDataType::UnencryptedKey, "sFldBleData2"},
          std::pair{static_cast<BleDataType>(9), "sFldBleData2"}, std::pair{BleDataType::Data, "sFldBleData1"}}) {
        WriteBleConfigurationToBleHwgFile(Record(type, 16, 1, 1), path, kVersions, true);
        EXPECT_NE(Read(path).find(std::string("BEGIN ") + section), std::string::npos);
        const auto read = ReadBleConfigurationFromBleHwgFile(path);
        EXPECT_EQ(read.DataType, type == BleDataType::Data ? BleDataType::Data : BleDataType::Key);
        EXPECT_EQ(read.ToVector(), Record(type, 16, 1, 1).ToVector());
    }
    WriteBleConfigurationToBleHwgFile(ReaderBleConfiguration{}, path, kVersions, true);
    EXPECT_NE(Read(path).find("/ BleData2[] =\n\nEND sFldBleData2\n"), std::string::npos);
    EXPECT_EQ(ReadBleConfigurationFromBleHwgFile(path), Record(BleDataType::Key, 0, 0, 0));
}

// The marker line with a blank and more text after the marker: unlike the HWG file's, it is
// always part of the checksummed text.
const std::string kNotedMarkerLine = "/--- iEndOfHwgFile saved by hand\n";

TEST_F(BleHwgFileTest, ReadsHandEditedVariants) {
    const std::string golden = Golden("ble_key.hwg");
    const std::string plain = WithoutTrailer(golden);
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"blanks around the checksum's =", Replace(golden, "iEndOfHwgFile=", "iEndOfHwgFile = ")},
        {"header in blanks", " " + Replace(plain, "---\n", "--- \r\n")},
        {"comment and empty lines, lower case, blanks", Replace(plain, "A8.A9.AA.AB", "\n/ comment\n a8 . a9.AA.AB.")},
        {"text after the marker, checksummed with it",
         plain + kNotedMarkerLine + "iEndOfHwgFile=" + Crc(plain + kNotedMarkerLine)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadBleConfigurationFromBleHwgFile(Write(c.text, "edited.hwg")), KeyRecord());
    }
}

TEST_F(BleHwgFileTest, DamagedOrTamperedFilesAreRefused) {
    const std::string golden = Golden("ble_key.hwg");
    const std::string crc = golden.substr(golden.size() - 8);
    const std::string plain = WithoutTrailer(golden);
    // Its checksum is right, but nothing after the marker counts as data.
    const std::string noEnd = Replace(plain, "END sFldBleData2\n", "") + "/--- iEndOfHwgFile\n";
    const Site tampered{"BleHwgFileParser", "ReadBleConfigurationFromBleHwgFile", 189};
    const Site dataByte{"BleHwgFileParser", "extractBleData", {}};
    const struct {
        const char* name;
        std::string text;
        std::string message;
        Site site;
    } cases[] = {
        {"changed digit", Replace(golden, "A0.A1", "A0.A2"), "BLE HWG file has been tampered: {path}", tampered},
        {"lower-case checksum", Replace(golden, crc, LowerCase(crc)), "BLE HWG file has been tampered: {path}",
         tampered},
        {"line after the checksum", golden + "\nB4", "BLE HWG file has been tampered: {path}", tampered},
        {"marker removed, checksum kept", Replace(golden, "/--- iEndOfHwgFile\n", ""),
         "BLE HWG file has been tampered: {path}", tampered},
        {"text after the marker, checksummed without it", plain + kNotedMarkerLine + "iEndOfHwgFile=" + Crc(plain),
         "BLE HWG file has been tampered: {path}", tampered},
        {"checksum line removed",
         plain + "/--- iEndOfHwgFile\n",
         "Failed to read CRC line from BLE HWG file",
         {"BleHwgFileParser", "extractCrcValueFromFile", 75}},
        {"checksum line without =",
         plain + "/--- iEndOfHwgFile\niEndOfHwgFile " + crc,
         "Invalid CRC line format in BLE HWG file: iEndOfHwgFile " + crc,
         {"BleHwgFileParser", "extractCrcValueFromFile", 69}},
        {"header changed",
         Replace(plain, "Template", "Templates"),
         "Invalid BLE HWG file header: {path}",
         {"BleHwgFileParser", "ReadBleConfigurationFromBleHwgFile", 176}},
        {"no section",
         Replace(plain, "BEGIN sFldBleData2", "BEGIN sFldBleDataX"),
         "Could not determine BLE data type from HWG file",
         {"BleHwgFileParser", "detectBleDataType", 101}},
        {"cut inside the last byte", plain.substr(0, plain.find("B3") + 1),
         "Could not find BLE data section END marker in HWG file", dataByte},
        {"no END before the marker", noEnd + "iEndOfHwgFile=" + Crc(noEnd),
         "Could not find BLE data section END marker in HWG file", dataByte},
        {"byte too wide", Replace(plain, "A0.A1", "1A0.A1"), "BLE data byte out of range (0 to 255): 1A0", dataByte},
        {"signed byte", Replace(plain, "A0.A1", "-1.A1"), "BLE data byte out of range (0 to 255): -1", dataByte},
        {"not hexadecimal",
         Replace(plain, "A0.A1", "A0.G1"),
         "Invalid integer string: \"G1\"",
         {"StringUtils", "ParseInt", {}}},
        {"more than 384 bytes",
         Replace(plain, "A0.A1", Repeat("00.", 385)),
         "BLE data size (403) exceeds maximum allowed size (384)",
         {"ReaderBleConfiguration", "SetBleData", {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Write(c.text, "damaged.hwg");
        ExpectFailure([&] { ReadBleConfigurationFromBleHwgFile(path); }, WithPath(c.message, path), c.site);
    }
}

// The size limit holds for a file about to be replaced too: it is left as it was.
TEST_F(BleHwgFileTest, FileAboveTheLimitIsNotReplaced) {
    const std::string path = Write("", "big.hwg");
    std::filesystem::resize_file(path, 10485761);
    ExpectFailure([&] { WriteBleConfigurationToBleHwgFile(KeyRecord(), path, kVersions, true); },
                  "File size is too large to be a valid BLE HWG file: " + path,
                  {"BleHwgFileParser", "validateFileSize", 31});
    EXPECT_EQ(std::filesystem::file_size(path), 10485761u);
}

TEST_F(BleHwgFileTest, DeviceTextCannotBreakTheFile) {
    const std::string path = PathOf("ble.hwg");
    for (const auto& [firmware, line] : {std::pair{"V1\nbeta\x7F", ":Device FW Version: V1 beta "},
                                         std::pair{"BEGIN sFldBleData1", ":Device FW Version: Unknown"}}) {
        SCOPED_TRACE(line);
        WriteBleConfigurationToBleHwgFile(KeyRecord(), path, {firmware, "3.1.0", false}, true);
        EXPECT_NE(Read(path).find(std::string("\n") + line + "\n"), std::string::npos);
        EXPECT_EQ(ReadBleConfigurationFromBleHwgFile(path), KeyRecord());
    }
}

}  // namespace
