#include "files/HwgFileParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FileFixture.h"
#include "HwgFixtures.h"

namespace {

using TavCommon::ExtendedConfiguration;
using TavCommon::HwgFileVersionInfo;
using TavCommon::ReaderConfiguration;
using TavTest::HwgFixtures;

const HwgFileVersionInfo kVersions{"V2.04 Build 17", "3.1.0", true};

class HwgFileTest : public TavTest::FileFixture {
protected:
    static ExtendedConfiguration Extended(const std::vector<uint8_t>& image) {
        return ExtendedConfiguration::FromVector(image);
    }
    static std::vector<ReaderConfiguration> Three() {
        return {HwgFixtures::ConfigurationA(), ReaderConfiguration{}, HwgFixtures::ConfigurationC()};
    }
    static std::vector<ExtendedConfiguration> ThreeExtended() {
        return {Extended(HwgFixtures::ImageA()), Extended(HwgFixtures::ImageB()), Extended(HwgFixtures::ImageC())};
    }
};

TEST_F(HwgFileTest, FixtureImagesAreTheirConfigurationsEncoding) {
    for (const auto& image : {HwgFixtures::ImageA(), HwgFixtures::ImageB(), HwgFixtures::ImageC()}) {
        EXPECT_EQ(Extended(image).ToVector(), image);
    }
}

TEST_F(HwgFileTest, WritesTheGoldenFilesByteForByte) {
    const std::string one = PathOf("one.hwg");
    WriteConfigurationToHwgFile({HwgFixtures::ConfigurationA()}, {Extended(HwgFixtures::ImageA())}, one, kVersions);
    EXPECT_EQ(Read(one), Golden("one_configuration.hwg"));

    const std::string three = PathOf("three.hwg");
    WriteConfigurationToHwgFile(Three(), ThreeExtended(), three, kVersions);
    EXPECT_EQ(Read(three), Golden("three_configurations.hwg"));

    HwgFileVersionInfo noTrailer = kVersions;
    noTrailer.WithTrailer = false;
    WriteConfigurationToHwgFile({HwgFixtures::ConfigurationA()}, {Extended(HwgFixtures::ImageA())}, one, noTrailer);
    EXPECT_EQ(Read(one), WithoutTrailer(Golden("one_configuration.hwg")));
    WriteConfigurationToHwgFile(Three(), ThreeExtended(), three, noTrailer);
    EXPECT_EQ(Read(three), WithoutTrailer(Golden("three_configurations.hwg")));
}

TEST_F(HwgFileTest, ReadsTheGoldenFilesBackToTheirValues) {
    const auto one = ReadConfigurationFromHwgFile(Write(Golden("one_configuration.hwg"), "one.hwg"));
    ASSERT_EQ(one.size(), 1u);
    // A file of one configuration carries no card selection.
    ReaderConfiguration expected = HwgFixtures::ConfigurationA();
    expected.SetCardType(0).SetHighPriorityCardType(0);
    EXPECT_TRUE(HwgFixtures::SameBytes(one[0].ReaderConfiguration, expected));
    EXPECT_EQ(one[0].ExtendedConfiguration, Extended(HwgFixtures::ImageA()));
    EXPECT_FALSE(one[0].HasCardSelection);

    const auto three = ReadConfigurationFromHwgFile(Write(Golden("three_configurations.hwg"), "three.hwg"));
    ASSERT_EQ(three.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(HwgFixtures::SameBytes(three[i].ReaderConfiguration, Three()[i]));
        EXPECT_EQ(three[i].ExtendedConfiguration, ThreeExtended()[i]);
        EXPECT_TRUE(three[i].HasCardSelection);
    }
}

// Hand-edited files: what the writer never writes but the reader accepts, each read to the same values.
TEST_F(HwgFileTest, ReadsHandEditedVariantsToTheSameValues) {
    const std::string plain = WithoutTrailer(Golden("three_configurations.hwg"));
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"CR before every LF", ReplaceAll(plain, "\n", "\r\n")},
        {"colon and tab separators",
         Replace(Replace(plain, "iIDBitCnt = 26", "iIDBitCnt:26"), "bSndFac = 1", "bSndFac\t1")},
        {"header in blanks", "  " + Replace(plain, "---\n", "--- \t\n")},
        {"lower-case bytes over more lines", Replace(plain, "14.42.21.10\n", "14.42.\n/ a comment\n\n21.10\n")},
        {"lower-case digits", Replace(plain, "CA.83.05.08", "ca.83.05.08")},
        {"no trailing period", Replace(plain, "82.40.\n", "82.40\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto records = ReadConfigurationFromHwgFile(Write(c.text, "edited.hwg"));
        ASSERT_EQ(records.size(), 3u);
        EXPECT_TRUE(HwgFixtures::SameBytes(records[0].ReaderConfiguration, HwgFixtures::ConfigurationA()));
        EXPECT_EQ(records[0].ExtendedConfiguration, Extended(HwgFixtures::ImageA()));
        EXPECT_TRUE(HwgFixtures::SameBytes(records[2].ReaderConfiguration, HwgFixtures::ConfigurationC()));
    }
}

TEST_F(HwgFileTest, LastConfigurationMayLackItsCardSelection) {
    const std::string plain = WithoutTrailer(Golden("three_configurations.hwg"));
    const std::string cut = plain.substr(0, plain.rfind("CardType: 65535"));
    const auto records = ReadConfigurationFromHwgFile(Write(cut, "cut.hwg"));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_TRUE(records[1].HasCardSelection);
    EXPECT_FALSE(records[2].HasCardSelection);
    EXPECT_EQ(records[2].ReaderConfiguration.CardType, 0);
}

TEST_F(HwgFileTest, FileWithoutEndMarkerOrChecksumIsReadUnchecked) {
    const std::string golden = Golden("one_configuration.hwg");
    const std::string edited = Replace(WithoutTrailer(golden), "iIDBitCnt = 26", "iIDBitCnt = 27");
    const auto records = ReadConfigurationFromHwgFile(Write(edited, "edited.hwg"));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].ReaderConfiguration.IdBitCount, 27);
}

TEST_F(HwgFileTest, DamagedOrTamperedFilesAreRefused) {
    const std::string golden = Golden("one_configuration.hwg");
    const std::string crcLine = golden.substr(golden.rfind('\n') + 1);
    const std::string crc = crcLine.substr(crcLine.size() - 8);
    const std::string plain = WithoutTrailer(golden);
    const Site read{"HwgFileParser", "ReadConfigurationFromHwgFile", {}};
    const Site crcValue{"HwgFileParser", "extractCrcValueFromFile", {}};
    const Site configuration{"HwgFileParser", "extractNextConfiguration", {}};
    const Site propertyValue{"HwgFileParser", "extractPropertyValue", {}};
    const Site block{"HwgFileParser", "ExtractExtendedConfiguration", {}};
    const Site property{"HwgPropertyMapping", "MakeEntry", {}};
    const struct {
        const char* name;
        std::string text;
        std::string message;
        Site site;
    } cases[] = {
        {"changed value", Replace(golden, "iIDBitCnt = 26", "iIDBitCnt = 27"), "HWG file has been tampered: {path}",
         read},
        {"changed comment", Replace(golden, "Euro KB flag", "Euro KB flags"), "HWG file has been tampered: {path}",
         read},
        {"lower-case checksum", Replace(golden, crc, LowerCase(crc)), "HWG file has been tampered: {path}", read},
        {"line after the checksum", golden + "\nCardType: 5 / Card type code", "HWG file has been tampered: {path}",
         read},
        {"marker removed, checksum kept", Replace(golden, "/--- iEndOfHwgFile\n", ""),
         "HWG file has been tampered: {path}", read},
        {"checksum line removed", plain + "/--- iEndOfHwgFile\n", "Failed to read CRC line from HWG file", crcValue},
        {"checksum without blanks", plain + "/--- iEndOfHwgFile\niEndOfHwgFile=0000ABCD",
         "Invalid CRC line format in HWG file: iEndOfHwgFile=0000ABCD", crcValue},
        {"cut inside the last byte", plain.substr(0, plain.find("82.40.") + 4), "Missing END sFldSepData in HWG file",
         block},
        {"header changed", Replace(plain, "Cobrel", "Cobral"), "Invalid HWG file header: {path}", read},
        {"property behind a blank", Replace(plain, "\nbStripFac", "\n bStripFac"),
         "Missing property bStripFac in HWG file", configuration},
        {"property out of order",
         Replace(Replace(plain, "bSndFac = 1     / Send the FAC (if stripped from data)\n", ""), "bFixLenDsp = 1",
                 "bSndFac = 1\nbFixLenDsp = 1"),
         "Missing property bSndFac in HWG file", configuration},
        {"no separator", Replace(plain, "bSndFac = 1     / Send", "bSndFac 1"),
         "Invalid property line format in HWG file: bSndFac 1 the FAC (if stripped from data)", propertyValue},
        {"long line quoted short", Replace(plain, "bSndFac = 1", "bSndFac" + std::string(300, '\x01')),
         "Invalid property line format in HWG file: bSndFac" + ReplaceAll(std::string(48, '\x01'), "\x01", "\\x01") +
             "\\x01...",
         propertyValue},
        {"byte too wide", Replace(plain, "CA.83.05.08", "CA.83.05.108"),
         "sFldSepData byte out of range (0 to 255): 108", block},
        {"signed byte", Replace(plain, "CA.83.05.08", "CA.83.05.-8"), "sFldSepData byte out of range (0 to 255): -8",
         block},
        {"comma separator",
         Replace(plain, "CA.83.05.08", "CA,83.05.08"),
         "Invalid integer string: \"CA,83\"",
         {"StringUtils", "ParseInt", {}}},
        {"127 bytes", Replace(plain, "82.40.", "82."),
         "Invalid extended configuration data size in HWG file: expected 128 bytes, got 127 bytes", block},
        {"129 bytes", Replace(plain, "82.40.", "82.40.41."),
         "Invalid extended configuration data size in HWG file: expected 128 bytes, got 129 bytes", block},
        {"number too wide", Replace(plain, "iIDBitCnt = 26", "iIDBitCnt = 300"),
         "iIDBitCnt out of range (0 to 255): 300", property},
        {"negative number", Replace(plain, "iFACIDDelim = 45", "iFACIDDelim = -1"),
         "iFACIDDelim out of range (0 to 255): -1", property},
        {"setter range",
         Replace(plain, "iFACDispLen = 5", "iFACDispLen = 27"),
         "ReaderConfigurationStruct::FacDigitCount setting must be between 0 and 26 inclusive",
         {"ElvarinException", "ThrowExceptionForPropertyOutOfRange", {}}},
        {"no block end in a named section", plain.substr(0, plain.find("/ tsLEDCtrl")),
         "Missing property bAppCtrlsLED in HWG file", configuration},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Write(c.text, "damaged.hwg");
        ExpectFailure([&] { ReadConfigurationFromHwgFile(path); }, WithPath(c.message, path), c.site);
    }
}

TEST_F(HwgFileTest, NextConfigurationMarkerInsideAConfigurationIsRefused) {
    const std::string plain = WithoutTrailer(Golden("three_configurations.hwg"));
    const std::string text = Replace(plain, "CardPriority: 0 / 0=Low, 1=High Priority\n", "");
    ExpectFailure([&] { ReadConfigurationFromHwgFile(Write(text, "f.hwg")); },
                  "Missing property CardPriority in HWG file", {"HwgFileParser", "extractNextConfiguration", {}});
}

// Counts and characters that fill more of the image than the reader can store before its last two
// bytes: the codec decodes them, but they could never be written back as they are.
TEST_F(HwgFileTest, BlockThatCannotBeEncodedAgainIsRefused) {
    const std::string plain = WithoutTrailer(Golden("three_configurations.hwg"));
    // Two separators of 31 and 29 two-byte characters: 128 bytes of content.
    const std::string text =
        Replace(plain, "14.42.21.10\n\n/ FldDefs[][4] = \nCA.83.05.08\nCA.83.0D.10\n\n/ SepDefs[][2] = \n83.00",
                "14.40.22.10\n\n/ FldDefs[][4] = \n\n/ SepDefs[][2] = \nDF.00\nDD.00\n00.00.00.00.00.00");
    ExpectFailure([&] { ReadConfigurationFromHwgFile(Write(text, "f.hwg")); },
                  "Extended configuration in HWG file cannot be written to a reader as it is: "
                  "ExtendedConfiguration::ToVector: header, entries and characters take 128 bytes; at most 126 fit "
                  "before the application data",
                  {"HwgFileParser", "ExtractExtendedConfiguration", {}});
}

TEST_F(HwgFileTest, EmptyListIsWrittenButDoesNotRead) {
    const std::string path = PathOf("empty.hwg");
    WriteConfigurationToHwgFile({}, {}, path, kVersions);
    ExpectFailure([&] { ReadConfigurationFromHwgFile(path); }, "Missing property AZERTYShiftlock in HWG file",
                  {"HwgFileParser", "extractNextConfiguration", {}});
}

// Nothing is written, and an old file stays as it was, when a configuration could not come back.
TEST_F(HwgFileTest, ConfigurationsThatCannotReadBackAreRefusedBeforeWriting) {
    ReaderConfiguration tooManyDigits = HwgFixtures::ConfigurationA();
    tooManyDigits.FacDigitCount = 30;
    ReaderConfiguration uncompacted{};
    uncompacted.LeadingCharacterCount = 2;
    uncompacted.LeadingTrailingCharacters[1] = 65;
    ExtendedConfiguration tooManyFields = Extended(HwgFixtures::ImageA());
    tooManyFields.Header.FieldEntryCount = 32;
    // The image holds half of an entry size, so an odd size comes back one less.
    ExtendedConfiguration oddEntrySize = Extended(HwgFixtures::ImageB());
    oddEntrySize.Header.FieldEntrySize = 3;
    const auto a = HwgFixtures::ConfigurationA();
    const auto extA = Extended(HwgFixtures::ImageA());
    const struct {
        const char* name;
        std::vector<ReaderConfiguration> configurations;
        std::vector<ExtendedConfiguration> extended;
        std::string message;
        Site site;
    } cases[] = {
        {"lists differ",
         {a, a},
         {extA},
         "The number of configurations and extended configurations must be the same.",
         {"HwgFileParser", "WriteConfigurationToHwgFile", {}}},
        {"value its setter refuses",
         {a, tooManyDigits},
         {extA, extA},
         "Configuration 1 cannot be written to an HWG file: iFACDispLen = 30: "
         "ReaderConfigurationStruct::FacDigitCount setting must be between 0 and 26 inclusive",
         {"HwgFileParser", "checkConfiguration", {}}},
        {"characters the file would compact",
         {uncompacted},
         {extA},
         "Configuration 0 cannot be written to an HWG file: iLeadChrCnt = 2 reads back as 1",
         {"HwgFileParser", "checkConfiguration", {}}},
        {"extended configuration that does not encode",
         {a, a},
         {extA, tooManyFields},
         "Extended configuration 1 cannot be written to an HWG file: "
         "ExtendedConfiguration::ToVector: field entry count 32 exceeds 31",
         {"HwgFileParser", "checkExtendedConfiguration", {}}},
        {"extended configuration that reads back otherwise",
         {a},
         {oddEntrySize},
         "Extended configuration 0 cannot be written to an HWG file: "
         "it does not read back as the same configuration",
         {"HwgFileParser", "checkExtendedConfiguration", {}}},
    };
    const std::string path = Write("old content", "old.hwg");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectFailure([&] { WriteConfigurationToHwgFile(c.configurations, c.extended, path, kVersions); }, c.message,
                      c.site);
        EXPECT_EQ(Read(path), "old content");
    }
    EXPECT_EQ(Entries(), std::vector<std::string>{"old.hwg"});
}

TEST_F(HwgFileTest, DeviceTextCannotBreakTheFile) {
    const struct {
        std::string firmware;
        std::string line;
    } cases[] = {
        {"V1\nbSndFac = 0\r\x01", "DeviceFirmwareVersion = V1 bSndFac = 0  "},
        {"V1 ##NEXTCONFIG##", "DeviceFirmwareVersion = Unknown"},
        {"/--- iEndOfHwgFile", "DeviceFirmwareVersion = Unknown"},
        {"BEGIN sFldSepData", "DeviceFirmwareVersion = Unknown"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string path = PathOf("device.hwg");
        WriteConfigurationToHwgFile(Three(), ThreeExtended(), path, {c.firmware, "3.1.0", true});
        EXPECT_NE(Read(path).find("\n" + c.line + "\n"), std::string::npos);
        EXPECT_EQ(ReadConfigurationFromHwgFile(path).size(), 3u);
    }
}

}  // namespace
