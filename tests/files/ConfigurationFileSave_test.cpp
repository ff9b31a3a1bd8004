// A save that fails throws, names the path, and leaves the old file as it was: no truncated file,
// no temporary file left beside it. Until it is renamed, the temporary file lets no one read it whom
// the saved file's mode keeps out.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "FileFixture.h"
#include "HwgFixtures.h"
#include "Tavelin.h"
#include "common/FixedText.h"
#include "files/AtomicFileReplace.h"
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

// Calls the hook after each step of a save's temporary file while it lives.
class ScopedStepHook {
public:
    explicit ScopedStepHook(std::function<void(TavFiles::TemporaryFileStep, int)> hook) {
        TavFiles::SetTemporaryFileStepHook(std::move(hook));
    }
    ~ScopedStepHook() { TavFiles::SetTemporaryFileStepHook({}); }
    ScopedStepHook(const ScopedStepHook&) = delete;
    ScopedStepHook& operator=(const ScopedStepHook&) = delete;
};

// Syncing the temporary file fails while it lives: once it has its final mode, its descriptor is
// made a pipe's, which cannot be synced.
class FailingSync {
    ScopedStepHook hook_{[](TavFiles::TemporaryFileStep step, int descriptor) {
        int pipeEnds[2];
        if (step == TavFiles::TemporaryFileStep::ModeSet && pipe(pipeEnds) == 0) {
            dup2(pipeEnds[1], descriptor);
            close(pipeEnds[0]);
            close(pipeEnds[1]);
        }
    }};
};

// The process's umask while it lives.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : saved_(umask(mask)) {}
    ~ScopedUmask() { umask(saved_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t saved_;
};

// Files made in the folder get owner rw, group r and nothing for others, whatever the umask.
bool SetDefaultAcl(const std::string& folder) {
    struct Entry {
        uint16_t tag;
        uint16_t permissions;
        uint32_t id;
    };
    constexpr uint32_t kUndefinedId = 0xFFFFFFFF;
    const struct {
        uint32_t version = 2;
        Entry entries[3] = {{0x01, 6, kUndefinedId}, {0x04, 4, kUndefinedId}, {0x20, 0, kUndefinedId}};
    } acl;
    return setxattr(folder.c_str(), "system.posix_acl_default", &acl, sizeof acl, 0) == 0;
}

// The mode a file created in the folder with 0666 gets there.
mode_t ModeOfANewFileIn(const std::string& folder) {
    const std::string probe = folder + "/probe";
    const int descriptor = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    EXPECT_GE(descriptor, 0) << probe;
    struct stat status {};
    fstat(descriptor, &status);
    close(descriptor);
    unlink(probe.c_str());
    return status.st_mode & 07777;
}

class ConfigurationFileSaveTest : public TavTest::FileFixture {};

TEST_F(ConfigurationFileSaveTest, FailedWriteLeavesTheOldFile) {
    const struct {
        const char* name;
        void (*during)(const std::function<void()>& save);
        std::string reason;
    } faults[] = {
        {"full disk", [](const std::function<void()>& save) { const SmallFileSizeLimit limit; save(); },
         "File too large"},
        {"failed sync", [](const std::function<void()>& save) { const FailingSync sync; save(); },
         "Invalid argument"},
    };
    for (const auto& fault : faults) {
        for (const auto& writer : kWriters) {
            SCOPED_TRACE(std::string(writer.name) + ", " + fault.name);
            const std::string path = Write("old content", "old.hwg");
            fault.during([&] {
                ExpectFailure([&] { writer.save(path); }, writer.writeMessage + path + " (" + fault.reason + ")",
                              writer.writeSite);
            });
            EXPECT_EQ(Read(path), "old content");
            EXPECT_EQ(Entries(), std::vector<std::string>{"old.hwg"});
        }
    }
}

// A key backup kept at 0600 must not be readable by another user from its temporary file while it
// is written. A new file is made as any file in its folder is, so it ends with the mode it would
// get from the umask or from the folder's default ACL.
TEST_F(ConfigurationFileSaveTest, TheTemporaryFileLetsNoOneReadWhomTheSavedFileKeepsOut) {
    const struct {
        const char* name;
        std::optional<mode_t> existing;  // the mode of the file replaced; none for a new file
        mode_t umask;
        bool defaultAcl;
    } cases[] = {
        {"replacing a 0600 file", 0600, 022, false},
        {"replacing a 0640 file", 0640, 0, false},
        {"a new file, umask 022", std::nullopt, 022, false},
        {"a new file, umask 077", std::nullopt, 077, false},
        {"a new file, default ACL", std::nullopt, 022, true},
    };
    using Step = TavFiles::TemporaryFileStep;
    std::vector<std::pair<Step, mode_t>> seen;
    const ScopedStepHook hook([&seen](Step step, int descriptor) {
        struct stat status {};
        EXPECT_EQ(fstat(descriptor, &status), 0);
        seen.emplace_back(step, status.st_mode & 07777);
    });
    int folderCount = 0;
    for (const auto& writer : kWriters) {
        for (const auto& modeCase : cases) {
            SCOPED_TRACE(std::string(writer.name) + ", " + modeCase.name);
            const ScopedUmask mask(modeCase.umask);
            const std::string folder = PathOf(std::to_string(folderCount++));
            ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
            if (modeCase.defaultAcl) {
                ASSERT_TRUE(SetDefaultAcl(folder)) << "no default ACL on " << folder;
            }
            const std::string path = folder + "/backup.hwg";
            if (modeCase.existing) {
                std::ofstream(path) << "old content";
                ASSERT_EQ(chmod(path.c_str(), *modeCase.existing), 0);
            }
            const mode_t finalMode = modeCase.existing ? *modeCase.existing : ModeOfANewFileIn(folder);

            seen.clear();
            writer.save(path);
            struct stat saved {};
            ASSERT_EQ(stat(path.c_str(), &saved), 0);
            EXPECT_EQ(saved.st_mode & 07777, finalMode);
            ASSERT_EQ(seen.size(), 3u);
            for (const auto& [step, mode] : seen) {
                EXPECT_EQ(mode & 0044 & ~finalMode, 0u)
                    << "step " << static_cast<int>(step) << ": mode " << std::oct << mode << ", final " << finalMode;
            }
        }
    }
}

// After the rename the folder is synced; one its user may write but not list cannot even be opened
// for that. The new file is in place by then, so the save succeeds.
TEST_F(ConfigurationFileSaveTest, ASaveIntoAFolderThatCannotBeListedSucceeds) {
    ASSERT_EQ(chmod(PathOf("").c_str(), 0711), 0);
    const std::string folder = PathOf("unlisted");
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(chmod(folder.c_str(), 0333), 0);
    for (const auto& writer : kWriters) {
        SCOPED_TRACE(writer.name);
        const std::string path = folder + "/" + writer.name + ".hwg";
        const pid_t child = fork();
        if (child < 0) {
            ADD_FAILURE() << "no child process";
            break;
        }
        if (child == 0) {
            // Root may open any folder, so the save runs as nobody.
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
                _exit(2);
            }
            if (open(folder.c_str(), O_RDONLY | O_DIRECTORY) >= 0 || errno != EACCES) {
                _exit(3);
            }
            try {
                writer.save(path);
            } catch (...) {
                _exit(1);
            }
            _exit(0);
        }
        int status = 0;
        EXPECT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), 0) << "2: no user to drop to, 3: the folder could be opened, 1: the save failed";
        EXPECT_NE(Read(path), "");
    }
    chmod(folder.c_str(), 0700);  // a user who is not root could not empty it otherwise
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

TEST_F(ConfigurationFileSaveTest, SaveThroughADanglingLinkReplacesTheLinkWithAFile) {
    for (const auto& writer : kWriters) {
        SCOPED_TRACE(writer.name);
        const std::string link = PathOf("dangling.hwg");
        std::filesystem::remove(link);
        std::filesystem::create_symlink(PathOf("nowhere.hwg"), link);
        writer.save(link);
        EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(link)));
        EXPECT_NE(Read(link), "");
        EXPECT_EQ(Entries(), std::vector<std::string>{"dangling.hwg"});
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
