// A save that fails throws, names the path, and leaves the old file as it was: no truncated file,
// no temporary file left beside it.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <climits>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>

#include "FileFixture.h"
#include "HwgFixtures.h"
#include "Tavelin.h"
#include "common/FixedText.h"
#include "files/BleHwgFileParser.h"
#include "files/HwgFileParser.h"
#include "reader/ReaderOnSimulator.h"

namespace {

using TavTest::HwgFixtures;

struct Writer {
    const char* name;
    std::function<void(const std::string&)> save;
    std::string openMessage;   // followed by the path
    std::string writeMessage;  // followed by the path and the system's reason
    TavTest::ExpectedSite openSite;
    TavTest::ExpectedSite writeSite;
};

const Writer kWriters[] = {
    {"HWG",
     [](const std::string& path) {
         WriteConfigurationToHwgFile({HwgFixtures::ConfigurationA()},
                                     {TavCommon::ExtendedConfiguration::FromVector(HwgFixtures::ImageA())}, path,
                                     {"V2.04", "3.1.0", true});
     },
     "Failed to open HWG file for writing: ",
     "Failed to write HWG file: ",
     {"HwgFileParser", "WriteConfigurationToHwgFile", {}},
     {"HwgFileParser", "WriteConfigurationToHwgFile", {}}},
    {"BLE HWG",
     [](const std::string& path) {
         TavCommon::ReaderBleConfiguration record{};
         record.SetBleDataType(TavCommon::BleDataType::Data).SetBleData(std::vector<uint8_t>(384, 0x5A));
         WriteBleConfigurationToBleHwgFile(record, path, {"V2.04", "3.1.0", false}, true);
     },
     "Failed to open BLE HWG file for writing: ",
     "Failed to write BLE HWG file: ",
     {"BleHwgFileParser", "WriteBleConfigurationToBleHwgFile", 306},
     {"BleHwgFileParser", "WriteBleConfigurationToBleHwgFile", {}}},
};

// Files may grow to 100 bytes while it lives: the next write fails as on a full disk.
class SmallFileSizeLimit {
public:
    SmallFileSizeLimit() {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved_;
        small.rlim_cur = 100;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~SmallFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    SmallFileSizeLimit(const SmallFileSizeLimit&) = delete;
    SmallFileSizeLimit& operator=(const SmallFileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

class ConfigurationFileSaveTest : public TavTest::FileFixture {};

TEST_F(ConfigurationFileSaveTest, FailedWriteLeavesTheOldFile) {
    for (const auto& writer : kWriters) {
        SCOPED_TRACE(writer.name);
        const std::string path = Write("old content", "old.hwg");
        {
            const SmallFileSizeLimit limit;
            ExpectFailure([&] { writer.save(path); }, writer.writeMessage + path + " (File too large)",
                          writer.writeSite);
        }
        EXPECT_EQ(Read(path), "old content");
        EXPECT_EQ(Entries(), std::vector<std::string>{"old.hwg"});
    }
}

// Root may write into any folder, so these use places no one can create a file in: /dev/full is no
// regular file, nothing can be made in /proc, and a path below a plain file has no folder at all.
TEST_F(ConfigurationFileSaveTest, UnwritableTargetsAreRefused) {
    const std::string procFile = "/proc/version";
    const std::string procBefore = Read(procFile);
    const std::string underAFile = Write("a file", "plain") + "/config.hwg";
    for (const auto& writer : kWriters) {
        SCOPED_TRACE(writer.name);
        for (const std::string& path : {std::string("/dev/full"), procFile, underAFile}) {
            ExpectFailure([&] { writer.save(path); }, writer.openMessage + path, writer.openSite);
        }
        EXPECT_EQ(Read(procFile), procBefore);
        EXPECT_EQ(Read(PathOf("plain")), "a file");
    }
}

TEST_F(ConfigurationFileSaveTest, SaveThroughALinkReplacesTheLinkedFileWithItsPermissions) {
    for (const auto& writer : kWriters) {
        SCOPED_TRACE(writer.name);
        const std::string target = Write("old content", "target.hwg");
        ASSERT_EQ(chmod(target.c_str(), 0640), 0);
        const std::string link = PathOf("link.hwg");
        std::filesystem::remove(link);
        std::filesystem::create_symlink(target, link);
        writer.save(link);
        EXPECT_TRUE(std::filesystem::is_symlink(link));
        EXPECT_NE(Read(target), "old content");
        struct stat status {};
        ASSERT_EQ(stat(target.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0640u);
    }
}

// A name as long as a folder entry may be: the save's temporary file beside it must fit as well.
TEST_F(ConfigurationFileSaveTest, ABackupUnderTheLongestNameIsSavedAndReadBack) {
    constexpr uint8_t kKey = 2;
    const std::vector<uint8_t> key(128, 0x3C);
    TavTest::ReaderOnSimulator simulated(TavTest::Wire::FeatureReport);
    {
        auto model = simulated.sim.Model();
        model->configurations[0].blocks[0][0] = 5;  // FAC digit count
        model->bleData[kKey] = key;
    }
    const TavCommon::ReaderDefinition definition = simulated.Definition(TavTest::Wire::FeatureReport);
    TavResult result{};
    const auto succeeded = [&result] {
        EXPECT_EQ(result.Code, 0) << TavCommon::ReadFixedField(result.Message);
        return result.Code == 0;
    };
    simulated.handle = TavReader_Open(&result, &definition, 0);
    ASSERT_TRUE(succeeded());
    Tav_Init(&result, simulated.handle);
    ASSERT_TRUE(succeeded());

    const std::string name = std::string(NAME_MAX - 4, 'n') + ".hwg";
    const std::string path = PathOf(name);
    TavReader_ReadHwgFileFromReader(&result, simulated.handle, path.c_str(), true);
    succeeded();
    EXPECT_EQ(Entries(), std::vector<std::string>{name});
    simulated.sim.Model()->configurations[0].blocks[0][0] = 7;
    TavReader_WriteHwgFileToReader(&result, simulated.handle, path.c_str());
    succeeded();
    EXPECT_EQ(simulated.sim.Model()->configurations[0].blocks[0][0], 5);

    TavReader_ReadBleConfigurationFromReader(&result, simulated.handle, kKey, path.c_str());
    succeeded();
    EXPECT_EQ(Entries(), std::vector<std::string>{name});
    simulated.sim.Model()->bleData.clear();
    TavReader_WriteBleConfigurationToReader(&result, simulated.handle, kKey, path.c_str());
    succeeded();
    EXPECT_EQ(simulated.sim.Model()->bleData[kKey], key);
}

}  // namespace
