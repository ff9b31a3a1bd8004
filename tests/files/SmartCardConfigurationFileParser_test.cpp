#include "files/SmartCardConfigurationFileParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FileFixture.h"

namespace {

using TavCommon::BlobHeader;
using TavCommon::SmartCardConfiguration;

SmartCardConfiguration Blob(BlobHeader header, const std::vector<uint8_t>& data) {
    SmartCardConfiguration blob;
    blob.SetConfiguration(header, data);
    return blob;
}

class SmartCardFileTest : public TavTest::FileFixture {
protected:
    // The lines before "[EOF]", closed by "[EOF]" and their correct checksum line.
    std::string WriteSigned(const std::string& covered) const {
        return Write(covered + "[EOF]\niEndOfIniFile=" + Crc(covered) + "\n", "card.ini");
    }
};

TEST_F(SmartCardFileTest, GoldenFileGivesItsBlobsInOrder) {
    const auto blobs = ReadConfigurationFromSmartCardIniFile(Write(Golden("two_blobs.ini")));
    ASSERT_EQ(blobs.size(), 2u);
    EXPECT_EQ(blobs[0], Blob({4, 0, 3, 0}, {0x01, 0xA2, 0xFF}));
    EXPECT_EQ(blobs[1], Blob({0x0B, 1, 2, 0x7F}, {0x10, 0x20}));
}

TEST_F(SmartCardFileTest, BlankLinesBetweenBlobsAreSkipped) {
    const auto blobs = ReadConfigurationFromSmartCardIniFile(
        WriteSigned("\n[Blob1]\nhdr=4 0 1 0\ndata=01\n\n  \r\n[Blob2]\nhdr=5 0 1 0\ndata=02\n\n"));
    ASSERT_EQ(blobs.size(), 2u);
    EXPECT_EQ(blobs[1], Blob({5, 0, 1, 0}, {0x02}));
}

TEST_F(SmartCardFileTest, FileWithoutBlobsGivesAnEmptyList) {
    EXPECT_TRUE(ReadConfigurationFromSmartCardIniFile(WriteSigned("")).empty());
    EXPECT_TRUE(ReadConfigurationFromSmartCardIniFile(WriteSigned("\n\n")).empty());
}

TEST_F(SmartCardFileTest, ChecksumLineIsTrimmedAfterItsKey) {
    const std::string covered = "[Blob1]\nhdr=4 0 1 0\ndata=01\n";
    const auto path = Write(covered + "[EOF]\niEndOfIniFile=  " + Crc(covered) + " \r\n");
    EXPECT_EQ(ReadConfigurationFromSmartCardIniFile(path).size(), 1u);
}

TEST_F(SmartCardFileTest, DamagedFilesAreRefused) {
    const std::string blob = "[Blob1]\nhdr=4 0 1 0\ndata=01\n";
    const std::string crc = Crc(blob);
    const std::string longLine(5000, 'x');
    const Site missingLine{"SmartCardConfigurationFileParser", "extractValue", 46};
    const Site invalidLine{"SmartCardConfigurationFileParser", "extractValue", 42};
    const Site tampered{"SmartCardConfigurationFileParser", "ReadConfigurationFromSmartCardIniFile", 126};
    const struct {
        const char* name;
        std::string content;
        std::string message;  // "{path}" stands for the file's path
        Site site;
    } cases[] = {
        {"no end marker", blob, "Failed to read iEndOfIniFile from Ini file", missingLine},
        {"no checksum line", blob + "[EOF]\n", "Failed to read iEndOfIniFile from Ini file", missingLine},
        {"blank before =", blob + "[EOF]\niEndOfIniFile =" + crc,
         "Invalid line format in Ini file: iEndOfIniFile =" + crc, invalidLine},
        {"wrong key", blob + "[EOF]\nEndOfIniFile=" + crc, "Invalid line format in Ini file: EndOfIniFile=" + crc,
         invalidLine},
        {"lower-case digits", blob + "[EOF]\niEndOfIniFile=" + LowerCase(crc),
         "SmartCard Ini file has been tampered: {path}", tampered},
        {"changed byte", "[Blob1]\nhdr=4 0 1 0\ndata=02\n[EOF]\niEndOfIniFile=" + crc,
         "SmartCard Ini file has been tampered: {path}", tampered},
        {"long line quoted short", blob + "[EOF]\n" + longLine,
         "Invalid line format in Ini file: " + std::string(200, 'x') + "...", invalidLine},
    };
    for (const auto& c : cases) {
        const auto path = Write(c.content, "damaged.ini");
        SCOPED_TRACE(c.name);
        ExpectFailure([&] { ReadConfigurationFromSmartCardIniFile(path); }, WithPath(c.message, path), c.site);
    }
}

// Numbers must fit their field: never cut to their low bits, never signed.
TEST_F(SmartCardFileTest, MalformedBlobsAreRefused) {
    const Site header{"SmartCardConfigurationFileParser", "parseBlobHeader", 66};
    const Site headerNumber{"SmartCardConfigurationFileParser", "parseBlobHeader", {}};
    const Site dataByte{"SmartCardConfigurationFileParser", "parseHexBytes", {}};
    const Site parseInt{"StringUtils", "ParseInt", {}};
    const Site setConfiguration{"SmartCardConfiguration", "SetConfiguration", {}};
    // A line of its own: none of the file's other refusals carries it.
    const Site unexpectedLine{"SmartCardConfigurationFileParser", "hasNextBlob", 106};
    const struct {
        const char* name;
        std::string covered;
        std::string message;
        Site site;
    } cases[] = {
        {"three header numbers", "[Blob]\nhdr=4 0 1\ndata=01\n", "Invalid Blob Header format: 4 0 1", header},
        {"five header numbers", "[Blob]\nhdr=4 0 1 0 0\ndata=01\n", "Invalid Blob Header format: 4 0 1 0 0", header},
        {"blob type of 9 bits", "[Blob]\nhdr=104 0 1 0\ndata=01\n", "Blob type out of range (0 to 255): 104",
         headerNumber},
        {"data length of 17 bits", "[Blob]\nhdr=4 0 10001 0\ndata=01\n",
         "Blob data length out of range (0 to 65535): 10001", headerNumber},
        {"data byte of 9 bits", "[Blob]\nhdr=4 0 1 0\ndata=1FF\n", "Blob data byte out of range (0 to 255): 1FF",
         dataByte},
        {"negative data byte", "[Blob]\nhdr=4 0 1 0\ndata=-1\n", "Blob data byte out of range (0 to 255): -1",
         dataByte},
        {"two blanks", "[Blob]\nhdr=4 0 2 0\ndata=01  02\n", "Invalid integer string: \"\"", parseInt},
        {"not hexadecimal", "[Blob]\nhdr=4 0 1 0\ndata=0G\n", "Invalid integer string: \"0G\"", parseInt},
        {"control character", "[Blob]\nhdr=4 0 1 0\ndata=0\x01\n", "Invalid integer string: \"0\\x01\"", parseInt},
        {"count differs from header", "[Blob]\nhdr=4 0 2 0\ndata=01\n",
         "Blob data length does not match with datalength in header", setConfiguration},
        {"unknown blob type", "[Blob]\nhdr=3 0 1 0\ndata=01\n", "Invalid blob type for SmartCardConfiguration",
         setConfiguration},
        {"missing data line",
         "[Blob]\nhdr=4 0 1 0\n[Blob]\nhdr=4 0 1 0\ndata=01\n",
         "Invalid line format in Ini file: [Blob]",
         {"SmartCardConfigurationFileParser", "extractValue", 42}},
        {"stray line between blobs",
         "[Blob1]\nhdr=4 0 1 0\ndata=01\n; comment\n[Blob2]\nhdr=4 0 1 0\ndata=02\n",
         "Unexpected line in SmartCard Ini file: ; comment",
         unexpectedLine},
        {"stray first line",
         "\tjunk\r\n[Blob1]\nhdr=4 0 1 0\ndata=01\n",
         "Unexpected line in SmartCard Ini file: \\x09junk\\x0D",
         unexpectedLine},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = WriteSigned(c.covered);
        ExpectFailure([&] { ReadConfigurationFromSmartCardIniFile(path); }, c.message, c.site);
        // The number sites' lines follow the layout; they must not land on the unexpected line's.
        if (c.site.file == unexpectedLine.file && c.site.function != unexpectedLine.function) {
            try {
                ReadConfigurationFromSmartCardIniFile(path);
            } catch (const ElvarinException& error) {
                EXPECT_NE(error.Line(), *unexpectedLine.line);
            }
        }
    }
}

}  // namespace
