#include "files/ElvarinFirmwareFileStream.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "Tavelin/ElvarinException.h"
#include "support/TempDir.h"

namespace {

using Bytes = std::vector<uint8_t>;
using testing::HasSubstr;

class FirmwareFileStreamTest : public testing::Test {
protected:
    std::string Write(const std::string& content, const std::string& name = "firmware.hex") {
        const auto path = dir_.Path() / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }

    // Every line until the end-of-file flag, each with the flag as it stood after the read.
    static std::vector<std::pair<Bytes, bool>> ReadAll(ElvarinFirmwareFileStream& stream) {
        std::vector<std::pair<Bytes, bool>> lines;
        while (!stream.IsEndOfFile() && lines.size() < 100) {
            Bytes line = stream.ReadNextLine();
            lines.emplace_back(std::move(line), stream.IsEndOfFile());
        }
        return lines;
    }

    TavTest::TempDir dir_;
};

TEST_F(FirmwareFileStreamTest, TypeLineIsConsumedAndSetsTheType) {
    for (const auto& [content, type] : std::vector<std::pair<std::string, uint32_t>>{
             {"M0\n:0102\n", 0}, {"M1\n:0102\n", 1}, {"M2\r\n:0102\r\n", 2}, {":0102\n", 0}}) {
        ElvarinFirmwareFileStream stream(Write(content));
        stream.Open();
        ASSERT_TRUE(stream.IsOpen());
        EXPECT_EQ(stream.GetFileType(), type) << content;
        EXPECT_EQ(stream.ReadNextLine(), (Bytes{0x01, 0x02})) << content;
    }
}

TEST_F(FirmwareFileStreamTest, UnknownTypeDigitFailsOpen) {
    ElvarinFirmwareFileStream stream(Write("M3\n:0102\n"));
    try {
        stream.Open();
        FAIL() << "Open accepted type 3";
    } catch (const ElvarinException& error) {
        EXPECT_STREQ(error.what(), "Invalid firmware file type: M3");
        EXPECT_EQ(error.File(), "ElvarinFirmwareFileStream");
        EXPECT_EQ(error.Function(), "Open");
    }
}

TEST_F(FirmwareFileStreamTest, FirstLineThatIsNoTypeLineIsReadAsARecord) {
    ElvarinFirmwareFileStream stream(Write("MX\n:01\n"));
    stream.Open();
    EXPECT_EQ(stream.GetFileType(), 0u);
    EXPECT_THROW(stream.ReadNextLine(), std::invalid_argument);
}

TEST_F(FirmwareFileStreamTest, EndOfFileIsFlaggedOnTheReadAfterTheLastLine) {
    const std::vector<std::pair<Bytes, bool>> withFinalNewline{
        {{0x10, 0x00, 0x00, 0x00, 0x12}, false}, {{0xAB}, false}, {{}, false}, {{}, true}};
    const std::vector<std::pair<Bytes, bool>> withoutFinalNewline{
        {{0x10, 0x00, 0x00, 0x00, 0x12}, false}, {{0xAB}, false}, {{}, true}};
    for (const auto& [content, expected] : std::vector<std::pair<std::string, std::vector<std::pair<Bytes, bool>>>>{
             {":1000000012\n:AB\n", withFinalNewline},
             {":1000000012\r\n:AB\r\n", withFinalNewline},
             {"M1\n:1000000012\n:ab\n", withFinalNewline},
             {":1000000012\n:AB", withoutFinalNewline},
             {":1000000012\r\n:AB\r", withoutFinalNewline}}) {
        ElvarinFirmwareFileStream stream(Write(content));
        stream.Open();
        EXPECT_EQ(ReadAll(stream), expected) << content;
    }
}

TEST_F(FirmwareFileStreamTest, EmptyLineInTheMiddleIsAnEmptyRecord) {
    ElvarinFirmwareFileStream stream(Write(":01\n\n:02\n"));
    stream.Open();
    EXPECT_EQ(ReadAll(stream), (std::vector<std::pair<Bytes, bool>>{
                                   {{0x01}, false}, {{}, false}, {{0x02}, false}, {{}, false}, {{}, true}}));
}

TEST_F(FirmwareFileStreamTest, EmptyFileAndTypeLineOnlyEndAtOnce) {
    for (const std::string content : {"", "M1"}) {
        ElvarinFirmwareFileStream stream(Write(content));
        stream.Open();
        ASSERT_TRUE(stream.IsOpen());
        EXPECT_EQ(stream.ReadNextLine(), Bytes{});
        EXPECT_TRUE(stream.IsEndOfFile()) << '"' << content << '"';
    }
}

TEST_F(FirmwareFileStreamTest, MalformedRecordLinesAreRefused) {
    for (const std::string line :
         {"1G", "-1", " F", "+F", "F ", "123", ":1", "0x12", "12 34", "::12", "12:34", "1\r2", "\t12"}) {
        ElvarinFirmwareFileStream stream(Write(":00\n" + line + "\n"));
        stream.Open();
        EXPECT_EQ(stream.ReadNextLine(), Bytes{0x00});
        try {
            stream.ReadNextLine();
            ADD_FAILURE() << "accepted \"" << line << '"';
        } catch (const std::invalid_argument& error) {
            EXPECT_THAT(error.what(), HasSubstr("Firmware file line 2 ")) << line;
        }
        // The stream goes on after the bad line.
        EXPECT_EQ(stream.ReadNextLine(), Bytes{});
        EXPECT_FALSE(stream.IsEndOfFile());
    }
}

TEST_F(FirmwareFileStreamTest, OverlongLineIsRefused) {
    ElvarinFirmwareFileStream stream(Write(":" + std::string(ElvarinFirmwareFileStream::kMaxLineLength, '0') + "\n"));
    stream.Open();
    EXPECT_THROW(stream.ReadNextLine(), std::invalid_argument);
}

TEST_F(FirmwareFileStreamTest, ClosedStreamRefusesToRead) {
    ElvarinFirmwareFileStream missing((dir_.Path() / "missing.hex").string());
    missing.Open();
    EXPECT_FALSE(missing.IsOpen());
    try {
        missing.ReadNextLine();
        FAIL();
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "File is not open");
    }

    ElvarinFirmwareFileStream stream(Write(":01\n"));
    EXPECT_THROW(stream.ReadNextLine(), std::runtime_error);
    stream.Open();
    stream.Close();
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_THROW(stream.ReadNextLine(), std::runtime_error);
}

TEST_F(FirmwareFileStreamTest, OnlyRegularFilesOfBoundedSizeAreRead) {
    const auto fifo = dir_.Path() / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto large = dir_.Path() / "large.hex";
    std::ofstream(large).close();
    std::filesystem::resize_file(large, ElvarinFirmwareFileStream::kMaxFileSize + 1);

    for (const auto& [path, message] :
         std::vector<std::pair<std::string, std::string>>{{fifo.string(), "is not a regular file"},
                                                          {"/dev/zero", "is not a regular file"},
                                                          {dir_.Path().string(), "is not a regular file"},
                                                          {large.string(), "is larger than 67108864 bytes"}}) {
        ElvarinFirmwareFileStream stream(path);
        try {
            stream.Open();
            ADD_FAILURE() << path;
        } catch (const ElvarinException& error) {
            EXPECT_THAT(error.what(), HasSubstr(message)) << path;
        }
        EXPECT_FALSE(stream.IsOpen());
    }
}

TEST_F(FirmwareFileStreamTest, OpenStartsClean) {
    const std::string path = Write("M2\n:01\n");
    ElvarinFirmwareFileStream stream(path);
    stream.Open();
    ReadAll(stream);
    ASSERT_TRUE(stream.IsEndOfFile());
    ASSERT_EQ(stream.GetFileType(), 2u);

    Write(":05\n");
    stream.Open();
    EXPECT_FALSE(stream.IsEndOfFile());
    EXPECT_EQ(stream.GetFileType(), 0u);
    EXPECT_EQ(stream.ReadNextLine(), Bytes{0x05});
}

TEST_F(FirmwareFileStreamTest, RewindReturnsToTheFirstRecord) {
    ElvarinFirmwareFileStream stream(Write("M1\n:01\n:02"));
    stream.Open();
    const auto first = ReadAll(stream);
    stream.Rewind();
    EXPECT_FALSE(stream.IsEndOfFile());
    EXPECT_EQ(ReadAll(stream), first);
    EXPECT_EQ(stream.LineNumber(), 3u);
}

TEST_F(FirmwareFileStreamTest, CountRecordsCountsColonLinesAndCloses) {
    ElvarinFirmwareFileStream stream(Write("M1\n:01\n02\n\n:03\r\n:04"));
    EXPECT_EQ(stream.CountRecords(), 3u);
    EXPECT_FALSE(stream.IsOpen());
}

}  // namespace
