// What every configuration-file reader does with a path that is not a readable regular file of
// sensible size: an ElvarinException at once, never a hang on a FIFO or a read of /dev/zero.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "FileFixture.h"
#include "files/BleHwgFileParser.h"
#include "files/HwgFileParser.h"
#include "files/SmartCardConfigurationFileParser.h"

namespace {

constexpr std::uintmax_t kLimit = 10485760;

struct Reader {
    const char* name;
    std::function<void(const std::string&)> read;
    std::string openMessage;      // followed by the path
    std::string tooLargeMessage;  // followed by the path
    TavTest::ExpectedSite openSite;
    TavTest::ExpectedSite tooLargeSite;
};

const Reader kReaders[] = {
    {"HWG",
     [](const std::string& path) { ReadConfigurationFromHwgFile(path); },
     "Failed to open HWG file: ",
     "File size is too large to be a valid HWG file: ",
     {"HwgFileParser", "ReadConfigurationFromHwgFile", {}},
     {"HwgFileParser", "validateFileSize", {}}},
    {"BLE HWG",
     [](const std::string& path) { ReadBleConfigurationFromBleHwgFile(path); },
     "Failed to open BLE HWG file: ",
     "File size is too large to be a valid BLE HWG file: ",
     {"BleHwgFileParser", "ReadBleConfigurationFromBleHwgFile", 171},
     {"BleHwgFileParser", "validateFileSize", 31}},
    {"smart card",
     [](const std::string& path) { ReadConfigurationFromSmartCardIniFile(path); },
     "Failed to open SmartCard Ini file: ",
     "File size is too large to be a valid ini file: ",
     {"SmartCardConfigurationFileParser", "ReadConfigurationFromSmartCardIniFile", 122},
     {"SmartCardConfigurationFileParser", "validateFileSize", 27}},
};

class ConfigurationFileLoadTest : public TavTest::FileFixture {};

TEST_F(ConfigurationFileLoadTest, PathsThatAreNoRegularFileAreRefusedAtOnce) {
    const std::string fifo = PathOf("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const auto& reader : kReaders) {
        SCOPED_TRACE(reader.name);
        const std::string missing = PathOf("missing");
        ExpectFailure([&] { reader.read(missing); }, reader.openMessage + missing, reader.openSite);
        for (const std::string& path : {fifo, dir_.Path().string(), std::string("/dev/zero")}) {
            ExpectFailure([&] { reader.read(path); }, reader.openMessage + path + " (not a regular file)",
                          reader.openSite);
        }
    }
}

TEST_F(ConfigurationFileLoadTest, FilesAboveTenMebibytesAreRefused) {
    const std::string exact = PathOf("exact");
    const std::string above = PathOf("above");
    Write("", "exact");
    Write("", "above");
    std::filesystem::resize_file(exact, kLimit);
    std::filesystem::resize_file(above, kLimit + 1);
    for (const auto& reader : kReaders) {
        SCOPED_TRACE(reader.name);
        ExpectFailure([&] { reader.read(above); }, reader.tooLargeMessage + above, reader.tooLargeSite);
        // A file of exactly the limit is read, and fails only for what it holds.
        try {
            reader.read(exact);
        } catch (const ElvarinException& error) {
            EXPECT_EQ(error.Message().find(reader.tooLargeMessage), std::string::npos) << error.Message();
        }
    }
}

}  // namespace
