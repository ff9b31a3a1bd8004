// A save that fails throws, names the path and why, and leaves the old file as it was: no truncated
// file, no temporary file left beside it. A replaced file keeps its owner, group, mode and ACL where
// the saver may give them, a group it cannot keep and everyone else get no more than both had, and
// until it is renamed, the temporary file lets no one read it whom the saved file keeps out. In a
// sticky folder others may write, a save follows and replaces only its own or the folder owner's
// links and files.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>
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
#include "support/OpenDescriptorCount.h"

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

// Called before each fchmod of this program, with its descriptor, while set.
std::function<void(int descriptor)>& ModeSetWatcher() {
    static std::function<void(int)> watcher;
    return watcher;
}

// Called before and after each read of an access ACL in this program, while set.
std::function<void()>& AclReadWatcher() {
    static std::function<void()> watcher;
    return watcher;
}

// The error each fchown of this program fails with while it is not 0.
int& OwnerSetError() {
    static int error = 0;
    return error;
}

// The read, with the watcher called before and after it where it reads an access ACL.
template <typename Read>
ssize_t WatchedAclRead(const char* name, const Read& read) {
    const auto& watcher = AclReadWatcher();
    const bool watched = watcher && std::string_view(name) == "system.posix_acl_access";
    if (watched) {
        watcher();
    }
    const ssize_t count = read();
    if (watched) {
        watcher();
    }
    return count;
}

}  // namespace

// The save sets its temporary's mode with fchmod, and this program's own fchmod shows a test the file
// as it stands at that moment, which a step hook, called between steps, cannot. Its own getxattr and
// fgetxattr let a test act at the name right around a read of the ACL, and its own fchown makes the
// save meet errors no file system here gives on demand.
extern "C" int fchmod(int descriptor, mode_t mode) noexcept {
    if (const auto& watcher = ModeSetWatcher()) {
        watcher(descriptor);
    }
    return static_cast<int>(syscall(SYS_fchmod, descriptor, mode));
}

extern "C" ssize_t getxattr(const char* path, const char* name, void* value, size_t size) noexcept {
    return WatchedAclRead(name, [&] { return syscall(SYS_getxattr, path, name, value, size); });
}

extern "C" ssize_t fgetxattr(int descriptor, const char* name, void* value, size_t size) noexcept {
    return WatchedAclRead(name, [&] { return syscall(SYS_fgetxattr, descriptor, name, value, size); });
}

extern "C" int fchown(int descriptor, uid_t owner, gid_t group) noexcept {
    if (const int error = OwnerSetError()) {
        errno = error;
        return -1;
    }
    return static_cast<int>(syscall(SYS_fchown, descriptor, owner, group));
}

namespace {

class ScopedAclReadWatcher {
public:
    explicit ScopedAclReadWatcher(std::function<void()> watcher) { AclReadWatcher() = std::move(watcher); }
    ~ScopedAclReadWatcher() { AclReadWatcher() = {}; }
    ScopedAclReadWatcher(const ScopedAclReadWatcher&) = delete;
    ScopedAclReadWatcher& operator=(const ScopedAclReadWatcher&) = delete;
};

// Every fchown fails with the error while it lives.
class FailingOwnerSet {
public:
    explicit FailingOwnerSet(int error) { OwnerSetError() = error; }
    ~FailingOwnerSet() { OwnerSetError() = 0; }
    FailingOwnerSet(const FailingOwnerSet&) = delete;
    FailingOwnerSet& operator=(const FailingOwnerSet&) = delete;
};

class ScopedModeSetWatcher {
public:
    explicit ScopedModeSetWatcher(std::function<void(int)> watcher) { ModeSetWatcher() = std::move(watcher); }
    ~ScopedModeSetWatcher() { ModeSetWatcher() = {}; }
    ScopedModeSetWatcher(const ScopedModeSetWatcher&) = delete;
    ScopedModeSetWatcher& operator=(const ScopedModeSetWatcher&) = delete;
};

// While it lives, the temporary file's descriptor is made a pipe's after the step: a pipe can be
// neither synced nor given an ACL.
class PipeAfterStep {
public:
    explicit PipeAfterStep(TavFiles::TemporaryFileStep after)
        : hook_([after](TavFiles::TemporaryFileStep step, int descriptor) {
              int pipeEnds[2];
              if (step == after && pipe(pipeEnds) == 0) {
                  dup2(pipeEnds[1], descriptor);
                  close(pipeEnds[0]);
                  close(pipeEnds[1]);
              }
          }) {}

private:
    ScopedStepHook hook_;
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

constexpr uid_t kNobody = 65534;  // nobody, and nogroup its group
constexpr const char* kAccessAcl = "system.posix_acl_access";
constexpr const char* kDefaultAcl = "system.posix_acl_default";

// An entry of an ACL as the kernel takes it in the attributes above, after a version of 2; entries
// are sorted by tag, then id.
struct AclEntry {
    uint16_t tag;
    uint16_t permissions;
    uint32_t id;
};
constexpr uint16_t kUserObj = 0x01, kUser = 0x02, kGroupObj = 0x04, kGroup = 0x08, kMask = 0x10, kOther = 0x20;
constexpr uint32_t kUndefinedId = 0xFFFFFFFF;

// Owner rw, group r, nothing for others, whatever the umask.
const std::vector<AclEntry> kOwnerAndGroupAcl = {
    {kUserObj, 6, kUndefinedId}, {kGroupObj, 4, kUndefinedId}, {kOther, 0, kUndefinedId}};
// The same, and nobody rw.
const std::vector<AclEntry> kNobodyWritesAcl = {{kUserObj, 6, kUndefinedId},
                                                {kUser, 6, kNobody},
                                                {kGroupObj, 4, kUndefinedId},
                                                {kMask, 6, kUndefinedId},
                                                {kOther, 0, kUndefinedId}};
// A 0640 file that user 4004 may read as well.
const std::vector<AclEntry> kAUserReadsAcl = {{kUserObj, 6, kUndefinedId},
                                              {kUser, 4, 4004},
                                              {kGroupObj, 4, kUndefinedId},
                                              {kMask, 4, kUndefinedId},
                                              {kOther, 0, kUndefinedId}};
// A 0640 file that nobody may read as well.
const std::vector<AclEntry> kNobodyReadsAcl = {{kUserObj, 6, kUndefinedId},
                                               {kUser, 4, kNobody},
                                               {kGroupObj, 4, kUndefinedId},
                                               {kMask, 4, kUndefinedId},
                                               {kOther, 0, kUndefinedId}};

// The ACL as the kernel stores it in the attributes above.
std::string AclValue(const std::vector<AclEntry>& entries) {
    const uint32_t version = 2;
    std::string value(reinterpret_cast<const char*>(&version), sizeof version);
    value.append(reinterpret_cast<const char*>(entries.data()), entries.size() * sizeof(AclEntry));
    return value;
}

// Sets the ACL attribute of the file or folder; the error, ENOTSUP where its file system keeps no
// ACLs, or 0.
int SetAcl(const std::string& path, const char* attribute, const std::vector<AclEntry>& entries) {
    const std::string value = AclValue(entries);
    return setxattr(path.c_str(), attribute, value.data(), value.size(), 0) == 0 ? 0 : errno;
}

// Who may read a file: its owner, group, mode and access ACL as the kernel keeps it (empty for
// none).
struct Access {
    uid_t owner = 0;
    gid_t group = 0;
    mode_t mode = 0;
    std::string acl;
    bool operator==(const Access&) const = default;
};

void PrintTo(const Access& access, std::ostream* out) {
    *out << access.owner << ":" << access.group << " " << std::oct << access.mode << std::dec << ", ACL";
    AclEntry entry{};
    for (std::size_t at = sizeof(uint32_t); at + sizeof entry <= access.acl.size(); at += sizeof entry) {
        std::memcpy(&entry, access.acl.data() + at, sizeof entry);
        *out << " " << entry.tag << ":" << entry.permissions << ":" << static_cast<int32_t>(entry.id);
    }
    if (access.acl.empty()) {
        *out << " none";
    }
}

Access AccessOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    char acl[1024];
    const ssize_t size = getxattr(path.c_str(), kAccessAcl, acl, sizeof acl);
    EXPECT_TRUE(size >= 0 || errno == ENODATA || errno == ENOTSUP) << path << ": " << std::strerror(errno);
    return {status.st_uid, status.st_gid, status.st_mode & 07777, std::string(acl, size > 0 ? size : 0)};
}

// What a file created in the folder with 0666 gets there.
Access AccessOfANewFileIn(const std::string& folder) {
    const std::string probe = folder + "/probe";
    const int descriptor = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    EXPECT_GE(descriptor, 0) << probe;
    close(descriptor);
    const Access access = AccessOf(probe);
    unlink(probe.c_str());
    return access;
}

// For a forked child of root: nobody, without root's groups.
bool BecomeNobody() { return setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0; }

// Whether nobody may open the file for reading, as a forked child of root finds.
bool NobodyMayRead(const std::string& path) {
    const pid_t child = fork();
    if (child < 0) {
        ADD_FAILURE() << "no child process";
        return false;
    }
    if (child == 0) {
        if (!BecomeNobody()) {
            _exit(2);
        }
        _exit(open(path.c_str(), O_RDONLY) >= 0 ? 0 : errno == EACCES ? 1 : 3);
    }
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1)
        << path << ": " << status << " (2: no user to drop to, 3: open failed otherwise)";
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// What a forked child's call returns for a test that cannot run here (no namespace, no mount); the
// test reports itself skipped.
constexpr std::string_view kCannotRun = "cannot run: ";

// Runs the call in a forked child and returns what it returned or threw (empty when all went well),
// or how the child ended when it did not.
std::string InChild(const std::function<std::string()>& call) {
    int ends[2];
    if (pipe(ends) != 0) {
        return "no pipe";
    }
    const pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        std::string result;
        try {
            result = call();
        } catch (const ElvarinException& error) {
            result = error.Message();
        } catch (const std::exception& error) {
            result = error.what();
        }
        for (std::size_t written = 0; written < result.size();) {
            const ssize_t count = write(ends[1], result.data() + written, result.size() - written);
            if (count <= 0) {
                _exit(1);
            }
            written += static_cast<std::size_t>(count);
        }
        _exit(0);
    }
    close(ends[1]);
    std::string result;
    char buffer[256];
    for (ssize_t count; child > 0 && (count = read(ends[0], buffer, sizeof buffer)) > 0;) {
        result.append(buffer, static_cast<std::size_t>(count));
    }
    close(ends[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        return "no child process";
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        return result;
    }
    return result + " (the child ended with status " + std::to_string(status) + ")";
}

// For a forked child of root: the user, in the groups given, the first its own.
bool BecomeUser(uid_t user, const std::vector<gid_t>& groups) {
    // A process that changed its user may not write its own /proc files unless made dumpable again.
    return setgroups(groups.size(), groups.data()) == 0 && setgid(groups.front()) == 0 && setuid(user) == 0 &&
           prctl(PR_SET_DUMPABLE, 1) == 0;
}

// Who the save tests try a file as: a user, in the groups given, the first its own.
struct TestUser {
    uid_t user;
    std::vector<gid_t> groups;
};

// What each user may open the file for, as forked children of root find: "r" for reading, "w" for
// writing, both or neither.
std::vector<std::string> WhatEachMayOpen(const std::string& path, const std::vector<TestUser>& users) {
    std::vector<std::string> found;
    for (const auto& [user, groups] : users) {
        const pid_t child = fork();
        if (child == 0) {
            if (!BecomeUser(user, groups)) {
                _exit(4);
            }
            const auto mayOpen = [&path](int flags) {
                const int descriptor = open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY);
                return descriptor >= 0 && close(descriptor) == 0;
            };
            _exit((mayOpen(O_RDONLY) ? 1 : 0) | (mayOpen(O_WRONLY) ? 2 : 0));
        }
        int status = 0;
        const bool ended = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status);
        const int may = ended ? WEXITSTATUS(status) : 4;
        EXPECT_LE(may, 3) << "no user " << user << " to try the file as";
        found.push_back(std::string(may == 1 || may == 3 ? "r" : "") + (may == 2 || may == 3 ? "w" : ""));
    }
    return found;
}

bool WriteWhole(const char* path, const std::string& text) {
    const int descriptor = open(path, O_WRONLY | O_CLOEXEC);
    const bool written =
        descriptor >= 0 && write(descriptor, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (descriptor >= 0) {
        close(descriptor);
    }
    return written;
}

// Makes the process root of a user namespace of its own that maps only its user and group, as
// `unshare -r` does: the ids of other users' files are mapped to none there. Where further lines of
// the maps are given ("inside outside count"), it maps those ids as well, as rootless containers do;
// only a process outside the namespace may write such maps, so a helper forked before it does.
bool EnterUserNamespace(const std::string& moreUsers = "", const std::string& moreGroups = "") {
    const uid_t user = geteuid();
    const gid_t group = getegid();
    if (moreUsers.empty() && moreGroups.empty()) {
        return unshare(CLONE_NEWUSER) == 0 && WriteWhole("/proc/self/setgroups", "deny") &&
               WriteWhole("/proc/self/uid_map", "0 " + std::to_string(user) + " 1") &&
               WriteWhole("/proc/self/gid_map", "0 " + std::to_string(group) + " 1");
    }
    int entered[2];
    if (pipe(entered) != 0) {
        return false;
    }
    const std::string maps = "/proc/" + std::to_string(getpid());
    const pid_t helper = fork();
    if (helper == 0) {
        close(entered[1]);  // so that a process that could not enter the namespace ends it
        char byte = 0;
        _exit(read(entered[0], &byte, 1) == 1 &&
                      WriteWhole((maps + "/uid_map").c_str(), "0 " + std::to_string(user) + " 1\n" + moreUsers) &&
                      WriteWhole((maps + "/gid_map").c_str(), "0 " + std::to_string(group) + " 1\n" + moreGroups)
                  ? 0
                  : 1);
    }
    close(entered[0]);
    const bool unshared = helper > 0 && unshare(CLONE_NEWUSER) == 0;
    const int error = errno;
    const bool told = unshared && write(entered[1], "", 1) == 1;
    close(entered[1]);
    int status = 0;
    const bool mapped =
        helper > 0 && waitpid(helper, &status, 0) == helper && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    errno = error;
    return told && mapped;
}

class ConfigurationFileSaveTest : public TavTest::FileFixture {
protected:
    // The old backup alone in the folder, 0640 with an ACL that lets another user read, and another
    // file, without one, to put at its name during a save. Returns the error of setting the ACL:
    // ENOTSUP where the file system keeps none. The user is not nobody, whose id a save without /proc
    // cannot tell from the overflow id of a user namespace.
    int WriteOldBackupAndAnother(std::string& target, std::string& other) const {
        for (const auto& entry : Entries()) {
            std::filesystem::remove(PathOf(entry));
        }
        target = Write("old content", "backup.hwg");
        other = Write("other content", "other.hwg");
        EXPECT_EQ(chmod(target.c_str(), 0640), 0);
        return SetAcl(target, kAccessAcl, kAUserReadsAcl);
    }
};

TEST_F(ConfigurationFileSaveTest, FailedWriteLeavesTheOldFile) {
    using Step = TavFiles::TemporaryFileStep;
    const struct {
        const char* name;
        void (*during)(const std::function<void()>& save);
        std::string reason;
        bool oldFileHasAcl;
    } faults[] = {
        {"full disk", [](const std::function<void()>& save) { const SmallFileSizeLimit limit; save(); },
         "File too large", false},
        {"failed sync", [](const std::function<void()>& save) { const PipeAfterStep fault(Step::ModeSet); save(); },
         "Invalid argument", false},
        {"failed ACL copy",
         [](const std::function<void()>& save) { const PipeAfterStep fault(Step::OwnerSet); save(); },
         "Operation not supported", true},
        // Only a refusal leaves the owner or group the saver's; any other error fails the save.
        {"quota exceeded giving the owner",
         [](const std::function<void()>& save) { const FailingOwnerSet fault(EDQUOT); save(); },
         "Disk quota exceeded", false},
        {"input/output error giving the owner",
         [](const std::function<void()>& save) { const FailingOwnerSet fault(EIO); save(); },
         "Input/output error", false},
    };
    std::string skipped;
    for (const auto& fault : faults) {
        for (const auto& writer : kWriters) {
            SCOPED_TRACE(std::string(writer.name) + ", " + fault.name);
            const std::string path = Write("old content", "old.hwg");
            if (fault.oldFileHasAcl) {
                const int error = SetAcl(path, kAccessAcl, kNobodyReadsAcl);
                if (error == ENOTSUP) {
                    skipped = std::string(fault.name) + ": the file system keeps no ACLs";
                    continue;
                }
                ASSERT_EQ(error, 0) << std::strerror(error);
            }
            fault.during([&] {
                ExpectFailure([&] { writer.save(path); }, writer.writeMessage + path + " (" + fault.reason + ")",
                              writer.writeSite);
            });
            EXPECT_EQ(Read(path), "old content");
            EXPECT_EQ(Entries(), std::vector<std::string>{"old.hwg"});
        }
    }
    if (!skipped.empty()) {
        GTEST_SKIP() << skipped;
    }
}

// A key backup kept at 0600 must not be readable by another user from its temporary file while it
// is written, and a replaced file lets in those it let in before: its owner, group, mode and ACL are
// the temporary's once its mode is set, and no step before lets in anyone the saved file keeps out,
// even where the folder's default ACL would. A new file is made as any file in its folder is, so it
// ends with the mode it would get from the umask or from the folder's default ACL. Root tries each
// step as nobody, for whom the folders are open.
TEST_F(ConfigurationFileSaveTest, TheSavedFileLetsInWhomTheOldOneDidAndItsTemporaryNoOneElse) {
    const struct {
        const char* name;
        std::optional<mode_t> existing;  // the mode of the file replaced; none for a new file
        mode_t umask;
        std::vector<AclEntry> defaultAcl;  // the folder's, once the file replaced is made
        std::vector<AclEntry> accessAcl;   // the file replaced's
        bool nobodysFile = false;          // the file replaced is nobody's
    } cases[] = {
        {"replacing a 0600 file", 0600, 022, {}, {}},
        {"replacing a 0640 file", 0640, 0, {}, {}},
        {"replacing a set-group-id 02750 file", 02750, 022, {}, {}},
        {"a new file, umask 022", std::nullopt, 022, {}, {}},
        {"a new file, umask 077", std::nullopt, 077, {}, {}},
        {"a new file, default ACL", std::nullopt, 022, kOwnerAndGroupAcl, {}},
        {"a new file, default ACL letting nobody in", std::nullopt, 022, kNobodyWritesAcl, {}},
        {"replacing a 0640 file without ACL, default ACL letting nobody in", 0640, 022, kNobodyWritesAcl, {}},
        {"replacing a 0640 file whose ACL lets nobody read", 0640, 022, {}, kNobodyReadsAcl},
        {"replacing nobody's 0600 file", 0600, 022, {}, {}, true},
    };
    const bool root = geteuid() == 0;
    ASSERT_EQ(chmod(PathOf("").c_str(), 0711), 0);
    using Step = TavFiles::TemporaryFileStep;
    struct Seen {
        Step step;
        Access access;
        bool nobodyMayRead;
    };
    const auto pathOf = [](int descriptor) {
        return std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(descriptor)).string();
    };
    std::vector<Seen> seen;
    const ScopedStepHook hook([&seen, &pathOf, root](Step step, int descriptor) {
        const std::string temporary = pathOf(descriptor);
        seen.push_back({step, AccessOf(temporary), root && NobodyMayRead(temporary)});
    });
    // The mode is the ACL's mask, so it is set once the temporary has its final ACL.
    std::vector<std::string> aclsWhenModeSet;
    const ScopedModeSetWatcher watcher(
        [&aclsWhenModeSet, &pathOf](int descriptor) { aclsWhenModeSet.push_back(AccessOf(pathOf(descriptor)).acl); });
    std::string skipped = root ? "" : "not root: no user to try the files as, no file of nobody's to replace.";
    int folderCount = 0;
    for (const auto& writer : kWriters) {
        for (const auto& row : cases) {
            SCOPED_TRACE(std::string(writer.name) + ", " + row.name);
            if (row.nobodysFile && !root) {
                continue;
            }
            const ScopedUmask mask(row.umask);
            const std::string folder = PathOf(std::to_string(folderCount++));
            ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
            ASSERT_EQ(chmod(folder.c_str(), 0711), 0);
            const std::string path = folder + "/backup.hwg";
            int aclError = 0;
            if (row.existing) {
                std::ofstream(path) << "old content";
                ASSERT_EQ(chmod(path.c_str(), *row.existing), 0);
                if (row.nobodysFile) {
                    ASSERT_EQ(chown(path.c_str(), kNobody, kNobody), 0);
                }
                if (!row.accessAcl.empty()) {
                    aclError = SetAcl(path, kAccessAcl, row.accessAcl);
                }
            }
            if (!row.defaultAcl.empty() && aclError == 0) {
                aclError = SetAcl(folder, kDefaultAcl, row.defaultAcl);
            }
            if (aclError == ENOTSUP) {
                if (skipped.find(row.name) == std::string::npos) {
                    skipped += std::string(" ") + row.name + ": the file system keeps no ACLs.";
                }
                continue;
            }
            ASSERT_EQ(aclError, 0) << std::strerror(aclError);
            const std::optional<Access> old =
                row.existing ? std::optional<Access>(AccessOf(path)) : std::nullopt;
            const bool nobodyMayReadTheOld = root && row.existing && NobodyMayRead(path);

            seen.clear();
            aclsWhenModeSet.clear();
            writer.save(path);
            const Access saved = AccessOf(path);
            EXPECT_EQ(saved, old ? *old : AccessOfANewFileIn(folder));
            EXPECT_EQ(aclsWhenModeSet, row.existing ? std::vector<std::string>{saved.acl} : std::vector<std::string>{});
            const bool nobodyMayRead = root && NobodyMayRead(path);
            if (row.existing) {
                EXPECT_EQ(nobodyMayRead, nobodyMayReadTheOld);
            }
            ASSERT_EQ(seen.size(), 5u);
            for (const auto& [step, access, nobodyMayReadTheTemporary] : seen) {
                SCOPED_TRACE("step " + std::to_string(static_cast<int>(step)));
                EXPECT_EQ(access.mode & 0044 & ~saved.mode, 0u)
                    << "mode " << std::oct << access.mode << ", final " << saved.mode;
                EXPECT_TRUE(nobodyMayRead || !nobodyMayReadTheTemporary);
                if (step == Step::ModeSet) {
                    EXPECT_EQ(access, saved);
                    EXPECT_EQ(nobodyMayReadTheTemporary, nobodyMayRead);
                }
            }
        }
    }
    if (!skipped.empty()) {
        GTEST_SKIP() << skipped;
    }
}

// A saver who may not give the replaced file's owner or group saves all the same, and what it may not
// give stays its own, whatever the kernel's reason: EPERM, or EINVAL for an id that a user namespace
// (a rootless container) does not map. A group that is not the old file's, the saver's own or a
// set-group-id folder's, gets no more than the old file gave everyone else, so its members read no
// backup the old file kept from them. Root saves as other users from forked children.
TEST_F(ConfigurationFileSaveTest, ASaverWhoCannotGiveTheOwnerOrGroupSavesAndLetsInNoOneNew) {
    constexpr uid_t kOldOwner = 4001, kSaver = 4002, kFolderOwner = 4003;
    constexpr gid_t kOldGroup = 4001, kSaversGroup = 4200, kFolderGroup = 4300;
    // kNobodyReadsAcl with the owning group's entry narrowed to that of others.
    const std::vector<AclEntry> nobodyReadsTheGroupNot = {{kUserObj, 6, kUndefinedId},
                                                          {kUser, 4, kNobody},
                                                          {kGroupObj, 0, kUndefinedId},
                                                          {kMask, 4, kUndefinedId},
                                                          {kOther, 0, kUndefinedId}};
    // Whom the old group shut out and everyone else could read: neither may read the saved file.
    const std::vector<AclEntry> othersReadTheGroupNot = {{kUserObj, 6, kUndefinedId},
                                                         {kUser, 4, kNobody},
                                                         {kGroupObj, 0, kUndefinedId},
                                                         {kMask, 4, kUndefinedId},
                                                         {kOther, 4, kUndefinedId}};
    const std::vector<AclEntry> othersReadNeither = {{kUserObj, 6, kUndefinedId},
                                                     {kUser, 4, kNobody},
                                                     {kGroupObj, 0, kUndefinedId},
                                                     {kMask, 4, kUndefinedId},
                                                     {kOther, 0, kUndefinedId}};
    // The group may write and others read: both may read the saved file, neither write it.
    const std::vector<AclEntry> theGroupWritesOthersRead = {{kUserObj, 6, kUndefinedId},
                                                            {kUser, 4, kNobody},
                                                            {kGroupObj, 6, kUndefinedId},
                                                            {kMask, 6, kUndefinedId},
                                                            {kOther, 4, kUndefinedId}};
    const std::vector<AclEntry> bothRead = {{kUserObj, 6, kUndefinedId},
                                            {kUser, 4, kNobody},
                                            {kGroupObj, 4, kUndefinedId},
                                            {kMask, 6, kUndefinedId},
                                            {kOther, 4, kUndefinedId}};
    // A user and a group that `unshare -r` does not map read the file; then a user it does not map
    // kept out of a file that everyone else may read. Left out, the entries let in no one new.
    constexpr uid_t kOutsideUser = 4004;
    constexpr gid_t kOutsideGroup = 4100;
    const std::vector<AclEntry> outsidersRead = {{kUserObj, 6, kUndefinedId},  {kUser, 4, kOutsideUser},
                                                 {kGroupObj, 4, kUndefinedId}, {kGroup, 4, kOutsideGroup},
                                                 {kMask, 4, kUndefinedId},     {kOther, 0, kUndefinedId}};
    const std::vector<AclEntry> anOutsiderKeptOut = {{kUserObj, 6, kUndefinedId},
                                                     {kUser, 0, kOutsideUser},
                                                     {kGroupObj, 4, kUndefinedId},
                                                     {kMask, 4, kUndefinedId},
                                                     {kOther, 4, kUndefinedId}};
    const std::vector<AclEntry> theOwnerAlone = {
        {kUserObj, 6, kUndefinedId}, {kGroupObj, 0, kUndefinedId}, {kMask, 4, kUndefinedId}, {kOther, 0, kUndefinedId}};
    // A named group kept out of a file everyone else may read: a member of the new group may be one
    // of it, so the new group's entry gives nothing.
    const auto aGroupKeptOut = [](gid_t group, uint16_t owningGroup) {
        return std::vector<AclEntry>{{kUserObj, 6, kUndefinedId}, {kGroupObj, owningGroup, kUndefinedId},
                                     {kGroup, 0, group},          {kMask, 4, kUndefinedId},
                                     {kOther, 4, kUndefinedId}};
    };
    struct Saver {
        uid_t user;
        std::vector<gid_t> groups;                    // its own first
        bool userNamespace;                           // root of a namespace that maps the user and its group
        std::string moreUsers = {}, moreGroups = {};  // further lines of the namespace's maps
    };
    const Saver memberOfNeither{kSaver, {kSaversGroup}, false};
    const Saver memberOfTheOldGroup{kSaver, {kSaversGroup, kOldGroup}, false};
    const Saver rootOfANamespace{0, {0}, true};
    const struct {
        const char* name;
        Saver saver;
        mode_t existing;  // the mode of the file replaced, which is kOldOwner's and kOldGroup's
        std::vector<AclEntry> accessAcl;
        bool setGroupIdFolder;  // the folder is kFolderGroup's and set-group-id
        Access saved;           // the saved file's, but its ACL
        std::vector<AclEntry> savedAcl;
    } cases[] = {
        {"a member of the old group", memberOfTheOldGroup, 0640, {}, false, {kSaver, kOldGroup, 0640, {}}, {}},
        {"a member of neither", memberOfNeither, 0640, {}, false, {kSaver, kSaversGroup, 0600, {}}, {}},
        {"a member of neither, the group shut out, others reading", memberOfNeither, 0604, {}, false,
         {kSaver, kSaversGroup, 0600, {}}, {}},
        {"a member of neither, the group writing, others reading", memberOfNeither, 0664, {}, false,
         {kSaver, kSaversGroup, 0644, {}}, {}},
        {"a member of neither, the group writing, others shut out", memberOfNeither, 0660, {}, false,
         {kSaver, kSaversGroup, 0600, {}}, {}},
        {"a member of neither, ACL shutting the group out, others reading", memberOfNeither, 0644,
         othersReadTheGroupNot, false, {kSaver, kSaversGroup, 0640, {}}, othersReadNeither},
        {"a member of neither, ACL letting the group write, others read", memberOfNeither, 0664,
         theGroupWritesOthersRead, false, {kSaver, kSaversGroup, 0664, {}}, bothRead},
        {"a member of neither, set-group-id file", memberOfNeither, 02754, {}, false,
         {kSaver, kSaversGroup, 0744, {}}, {}},
        {"a member of neither, set-group-id folder", memberOfNeither, 0640, {}, true,
         {kSaver, kFolderGroup, 0600, {}}, {}},
        {"a member of neither, ACL letting nobody read", memberOfNeither, 0640, kNobodyReadsAcl, false,
         {kSaver, kSaversGroup, 0640, {}}, nobodyReadsTheGroupNot},
        {"a member of neither, ACL keeping a named group out, others reading", memberOfNeither, 0644,
         aGroupKeptOut(kOutsideGroup, 4), false, {kSaver, kSaversGroup, 0644, {}}, aGroupKeptOut(kOutsideGroup, 0)},
        {"a member of neither, set-group-id folder, ACL keeping the folder's group out", memberOfNeither, 0644,
         aGroupKeptOut(kFolderGroup, 4), true, {kSaver, kFolderGroup, 0644, {}}, aGroupKeptOut(kFolderGroup, 0)},
        {"root of a user namespace", rootOfANamespace, 0640, {}, false, {0, 0, 0600, {}}, {}},
        {"root of a user namespace, ACL naming a user and a group it does not map", rootOfANamespace, 0640,
         outsidersRead, false, {0, 0, 0640, {}}, theOwnerAlone},
        {"root of a user namespace, ACL keeping out a user it does not map", rootOfANamespace, 0644,
         anOutsiderKeptOut, false, {0, 0, 0640, {}}, theOwnerAlone},
        {"root of a user namespace, ACL keeping out a group it does not map", rootOfANamespace, 0644,
         aGroupKeptOut(kOutsideGroup, 4), false, {0, 0, 0640, {}}, theOwnerAlone},
        {"root of a user namespace mapping the overflow ids to others", {0, {0}, true, "65534 4003 1", "65534 4200 1"},
         0640, {}, false, {0, 0, 0600, {}}, {}},
        {"root of a user namespace mapping the owner but not the group", {0, {0}, true, "4001 4001 1"}, 0640, {},
         false, {kOldOwner, 0, 0600, {}}, {}},
        {"a user as root of a user namespace", {kSaver, {kSaversGroup}, true}, 0640, {}, false,
         {kSaver, kSaversGroup, 0600, {}}, {}},
    };
    // Besides the saver, no one may open the saved file for what the old one kept them from: the old
    // owner, members of the old group, of the saver's group and a group kept out, of the folder's
    // group, a user some ACLs name, nobody, and a user of none of these groups.
    const std::vector<TestUser> users = {{kOldOwner, {kOldOwner}}, {4005, {4005, kOldGroup}},
                                         {4006, {4006, kSaversGroup, kOutsideGroup}}, {4007, {4007, kFolderGroup}},
                                         {kOutsideUser, {kOutsideUser}}, {kNobody, {kNobody}}, {4008, {4008}}};
    if (geteuid() != 0) {
        GTEST_SKIP() << "not root: no other user to save as, no file of another user's to replace";
    }
    ASSERT_EQ(chmod(PathOf("").c_str(), 0711), 0);
    std::string skipped;
    int folderCount = 0;
    for (const auto& writer : kWriters) {
        for (const auto& row : cases) {
            SCOPED_TRACE(std::string(writer.name) + ", " + row.name);
            const std::string folder = PathOf(std::to_string(folderCount++));
            ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
            if (row.setGroupIdFolder) {
                ASSERT_EQ(chown(folder.c_str(), kFolderOwner, kFolderGroup), 0);
            }
            ASSERT_EQ(chmod(folder.c_str(), row.setGroupIdFolder ? 02777 : 0777), 0);
            const std::string path = folder + "/backup.hwg";
            std::ofstream(path) << "old content";
            ASSERT_EQ(chown(path.c_str(), kOldOwner, kOldGroup), 0);
            ASSERT_EQ(chmod(path.c_str(), row.existing), 0);
            if (!row.accessAcl.empty()) {
                const int error = SetAcl(path, kAccessAcl, row.accessAcl);
                if (error == ENOTSUP) {
                    skipped += std::string(" ") + row.name + ": the file system keeps no ACLs.";
                    continue;
                }
                ASSERT_EQ(error, 0) << std::strerror(error);
            }
            const std::vector<std::string> before = WhatEachMayOpen(path, users);

            const std::string failure = InChild([&]() -> std::string {
                if (!BecomeUser(row.saver.user, row.saver.groups)) {
                    return "no user to save as";
                }
                if (row.saver.userNamespace && !EnterUserNamespace(row.saver.moreUsers, row.saver.moreGroups)) {
                    return std::string(kCannotRun) + "no user namespace (" + std::strerror(errno) + ")";
                }
                writer.save(path);
                return "";
            });
            if (failure.starts_with(kCannotRun)) {
                skipped += std::string(" ") + row.name + ": " + failure;
                continue;
            }
            EXPECT_EQ(failure, "");
            EXPECT_NE(Read(path), "old content");
            Access expected = row.saved;
            expected.acl = row.savedAcl.empty() ? "" : AclValue(row.savedAcl);
            EXPECT_EQ(AccessOf(path), expected);
            const std::vector<std::string> after = WhatEachMayOpen(path, users);
            for (std::size_t user = 0; user < users.size(); ++user) {
                EXPECT_TRUE(std::all_of(after[user].begin(), after[user].end(),
                                        [&](char may) { return before[user].find(may) != std::string::npos; }))
                    << "user " << users[user].user << " may open it for \"" << after[user] << "\", before for \""
                    << before[user] << "\"";
            }
        }
    }
    if (!skipped.empty()) {
        GTEST_SKIP() << skipped;
    }
}

// The saved file's owner, group, mode and ACL are those of the one file found at the target's name
// when the save looked: another file, or a link to one, put at the name while the new content is
// written, or the old file removed then, changes none of them.
TEST_F(ConfigurationFileSaveTest, TheSavedFileTakesItsPermissionsFromOneFile) {
    const struct {
        const char* name;
        void (*meanwhile)(const std::string& target, const std::string& other);
    } cases[] = {
        {"another file put at the name",
         [](const std::string& target, const std::string& other) {
             EXPECT_EQ(rename(other.c_str(), target.c_str()), 0);
         }},
        {"a link to another file put at the name",
         [](const std::string& target, const std::string& other) {
             const std::string link = target + ".link";
             EXPECT_EQ(symlink(other.c_str(), link.c_str()), 0);
             EXPECT_EQ(rename(link.c_str(), target.c_str()), 0);
         }},
        {"the file removed",
         [](const std::string& target, const std::string&) { EXPECT_EQ(unlink(target.c_str()), 0); }},
    };
    for (const auto& writer : kWriters) {
        for (const auto& row : cases) {
            SCOPED_TRACE(std::string(writer.name) + ", " + row.name);
            std::string target, other;
            const int error = WriteOldBackupAndAnother(target, other);
            if (error == ENOTSUP) {
                GTEST_SKIP() << "the file system keeps no ACLs";
            }
            ASSERT_EQ(error, 0) << std::strerror(error);
            const Access old = AccessOf(target);

            {
                const ScopedStepHook hook([&](TavFiles::TemporaryFileStep step, int) {
                    if (step == TavFiles::TemporaryFileStep::Created) {
                        row.meanwhile(target, other);
                    }
                });
                EXPECT_NO_THROW(writer.save(target));
            }
            EXPECT_NE(Read(target), "old content");
            EXPECT_EQ(AccessOf(target), old);
        }
    }
}

// The save ends in the folder it found: one moved away while the new content is written, and a link
// to another put at its path, leave the new file in the folder moved and nothing in the other.
TEST_F(ConfigurationFileSaveTest, ASaveEndsInTheFolderItFoundWhateverIsPutAtItsPathMeanwhile) {
    for (const auto& writer : kWriters) {
        SCOPED_TRACE(writer.name);
        for (const auto& entry : Entries()) {
            std::filesystem::remove_all(PathOf(entry));
        }
        std::filesystem::create_directories(PathOf("folder"));
        std::filesystem::create_directories(PathOf("elsewhere"));
        const std::string path = Write("old content", "folder/backup.hwg");
        {
            const ScopedStepHook hook([&](TavFiles::TemporaryFileStep step, int) {
                if (step == TavFiles::TemporaryFileStep::Created) {
                    EXPECT_EQ(rename(PathOf("folder").c_str(), PathOf("moved").c_str()), 0);
                    EXPECT_EQ(symlink("elsewhere", PathOf("folder").c_str()), 0);
                }
            });
            EXPECT_NO_THROW(writer.save(path));
        }
        EXPECT_NE(Read(PathOf("moved/backup.hwg")), "old content");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(PathOf("moved")), {}), 1);
        EXPECT_TRUE(std::filesystem::is_empty(PathOf("elsewhere")));
    }
}

// Whether the main thread has ended while others run: the process then shows as a zombie.
bool MainThreadEnded() {
    std::ifstream stat("/proc/self/stat");
    const std::string text{std::istreambuf_iterator<char>(stat), std::istreambuf_iterator<char>()};
    const auto state = text.rfind(") ");
    return state != std::string::npos && text.compare(state + 2, 1, "Z") == 0;
}

// A program may end its main thread and save from another; the save then finds the old file's ACL
// through the calling thread's descriptor table, as the main thread's is gone. A forked child ends its
// main thread.
TEST_F(ConfigurationFileSaveTest, ASaveFromAThreadAfterTheMainThreadHasEndedKeepsThePermissions) {
    for (const auto& writer : kWriters) {
        SCOPED_TRACE(writer.name);
        std::string target, other;
        const int error = WriteOldBackupAndAnother(target, other);
        if (error == ENOTSUP) {
            GTEST_SKIP() << "the file system keeps no ACLs";
        }
        ASSERT_EQ(error, 0) << std::strerror(error);
        const Access old = AccessOf(target);
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::thread([&] {
                for (int wait = 0; wait < 2000 && !MainThreadEnded(); ++wait) {
                    usleep(5000);
                }
                std::string outcome = MainThreadEnded() ? "saved" : "the main thread has not ended";
                try {
                    writer.save(target);
                } catch (const ElvarinException& failure) {
                    outcome = failure.Message();
                }
                const Access saved = AccessOf(target);
                outcome = outcome != "saved" || saved == old ? outcome : "saved as " + ::testing::PrintToString(saved);
                _exit(write(ends[1], outcome.data(), outcome.size()) == static_cast<ssize_t>(outcome.size()) ? 0 : 1);
            }).detach();
            // The main thread alone ends, as with pthread_exit, without unwinding the test's frames.
            syscall(SYS_exit, 0);
        }
        close(ends[1]);
        std::string outcome;
        char buffer[256];
        for (ssize_t count; (count = read(ends[0], buffer, sizeof buffer)) > 0;) {
            outcome.append(buffer, static_cast<std::size_t>(count));
        }
        close(ends[0]);
        int status = 0;
        EXPECT_EQ(waitpid(child, &status, 0), child);
        EXPECT_EQ(outcome, "saved");
    }
}

// Without /proc the held file's ACL cannot be read through its descriptor; it is read through a
// descriptor of the name, once that is found to give the held file, and the save fails rather than
// take the ACL of another file, whatever is done at the name meanwhile, and says why. Nothing tells
// then whether the save runs in a user namespace, so a file of the overflow id's (nobody's) gets the
// saver's owner and group. A forked child mounts an empty tmpfs over /proc in a mount namespace of
// its own.
TEST_F(ConfigurationFileSaveTest, WithoutProcTheAclIsReadFromTheSameFileOrTheSaveFails) {
    constexpr std::string_view kCannotRead = "could not read the permissions of the file it replaces: ";
    const struct {
        const char* name;
        void (*meanwhile)(const std::string& target, const std::string& other);  // once the temporary is made
        bool swappedAroundAclReads;  // the other file exchanged with the old one for each read of an ACL
        bool byAnotherUser;          // saved by a user who may write the folder but not read the old file
        std::string failure;         // the reason given, or none for a save that keeps the old permissions
        std::optional<std::string> left;  // the content then at the name
        bool nobodysFile = false;         // the old file is nobody's and nogroup's
    } cases[] = {
        {"the same file at the name", nullptr, false, false, "", {}},
        {"nobody's file", nullptr, false, false, "", {}, true},
        {"another file swapped in for each read of the ACL", nullptr, true, false, "", {}},
        {"another file put at the name",
         [](const std::string& target, const std::string& other) { rename(other.c_str(), target.c_str()); }, false,
         false, std::string(kCannotRead) + "another file was put at its name", "other content"},
        {"a link to another file put at the name",
         [](const std::string& target, const std::string& other) {
             const std::string link = target + ".link";
             symlink(other.c_str(), link.c_str());
             rename(link.c_str(), target.c_str());
         },
         false, false, std::string(kCannotRead) + "another file was put at its name", "other content"},
        {"the file removed", [](const std::string& target, const std::string&) { unlink(target.c_str()); }, false,
         false, std::string(kCannotRead) + "it was removed from its name", std::nullopt},
        {"a saver who may not read the file", nullptr, false, true, std::string(kCannotRead) + "Permission denied",
         "old content"},
    };
    constexpr uid_t kSaver = 4002;
    constexpr gid_t kSaversGroup = 4200;
    ASSERT_EQ(chmod(PathOf("").c_str(), 0777), 0);
    for (const auto& writer : kWriters) {
        for (const auto& row : cases) {
            SCOPED_TRACE(std::string(writer.name) + ", " + row.name);
            std::string target, other;
            const int error = WriteOldBackupAndAnother(target, other);
            if (error == ENOTSUP) {
                GTEST_SKIP() << "the file system keeps no ACLs";
            }
            ASSERT_EQ(error, 0) << std::strerror(error);
            if (row.nobodysFile) {
                ASSERT_EQ(chown(target.c_str(), kNobody, kNobody), 0);
            }
            const Access old = AccessOf(target);

            const std::string outcome = InChild([&]() -> std::string {
                if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                    mount("tmpfs", "/proc", "tmpfs", 0, nullptr) != 0) {
                    return std::string(kCannotRun) + "no mount namespace of its own (" + std::strerror(errno) + ")";
                }
                if (row.byAnotherUser && !BecomeUser(kSaver, {kSaversGroup})) {
                    return "no user to save as";
                }
                const ScopedStepHook hook([&](TavFiles::TemporaryFileStep step, int) {
                    if (row.meanwhile != nullptr && step == TavFiles::TemporaryFileStep::Created) {
                        row.meanwhile(target, other);
                    }
                });
                const ScopedAclReadWatcher swap([&] {
                    if (row.swappedAroundAclReads) {
                        renameat2(AT_FDCWD, target.c_str(), AT_FDCWD, other.c_str(), RENAME_EXCHANGE);
                    }
                });
                writer.save(target);
                AclReadWatcher() = {};
                const Access saved = AccessOf(target);
                return saved == old ? "saved" : "saved as " + ::testing::PrintToString(saved);
            });
            if (outcome.starts_with(kCannotRun)) {
                GTEST_SKIP() << outcome;
            }
            if (row.nobodysFile) {
                const Access saved{0, 0, 0640, AclValue({{kUserObj, 6, kUndefinedId},
                                                         {kUser, 4, 4004},
                                                         {kGroupObj, 0, kUndefinedId},
                                                         {kMask, 4, kUndefinedId},
                                                         {kOther, 0, kUndefinedId}})};
                EXPECT_EQ(outcome, "saved as " + ::testing::PrintToString(saved));
                continue;
            }
            if (row.failure.empty()) {
                EXPECT_EQ(outcome, "saved");
                continue;
            }
            EXPECT_EQ(outcome, writer.writeMessage + target + " (" + row.failure + ")");
            EXPECT_EQ(std::filesystem::exists(target) ? std::optional<std::string>(Read(target)) : std::nullopt,
                      row.left);
            for (const auto& entry : Entries()) {
                EXPECT_FALSE(entry.starts_with(".tav-")) << entry;
            }
        }
    }
}

// A file system that keeps no ACLs, a ramfs here, fails no save, and the saved file keeps the old
// one's mode. The ramfs is mounted in a private mount namespace of a forked child.
TEST_F(ConfigurationFileSaveTest, ASaveOnAFileSystemWithoutAclsKeepsTheMode) {
    const std::string folder = PathOf("ramfs");
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    for (const auto& writer : kWriters) {
        SCOPED_TRACE(writer.name);
        const std::string failure = InChild([&]() -> std::string {
            if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                mount("ramfs", folder.c_str(), "ramfs", 0, nullptr) != 0) {
                return std::string(kCannotRun) + "no ramfs in a mount namespace of its own (" + std::strerror(errno) +
                       ")";
            }
            const std::string path = folder + "/backup.hwg";
            std::ofstream(path) << "old content";
            if (chmod(path.c_str(), 0640) != 0) {
                return "no old file";
            }
            if (getxattr(path.c_str(), kAccessAcl, nullptr, 0) >= 0 || errno != ENOTSUP) {
                return "the ramfs keeps ACLs";
            }
            writer.save(path);
            struct stat status {};
            if (stat(path.c_str(), &status) != 0 || (status.st_mode & 07777) != 0640 || Read(path) == "old content") {
                return "the saved file is not the new one with mode 0640";
            }
            return "";
        });
        if (failure.starts_with(kCannotRun)) {
            GTEST_SKIP() << failure;
        }
        EXPECT_EQ(failure, "");
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
            if (geteuid() == 0 && !BecomeNobody()) {
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
// regular file, nothing can be made in /proc, and a path below a plain file or a link to itself has
// no folder at all. The message says why.
TEST_F(ConfigurationFileSaveTest, UnwritableTargetsAreRefused) {
    const std::string procFile = "/proc/version";
    const std::string procBefore = Read(procFile);
    const std::string underAFile = Write("a file", "plain") + "/config.hwg";
    std::filesystem::create_symlink("loop", PathOf("loop"));
    for (const auto& writer : kWriters) {
        SCOPED_TRACE(writer.name);
        for (const auto& [path, reason] : {std::pair<std::string, std::string>{"/dev/full", "not a regular file"},
                                           {procFile, "No such file or directory"},
                                           {underAFile, "Not a directory"},
                                           {PathOf("loop") + "/config.hwg", "Too many levels of symbolic links"}}) {
            ExpectFailure([&] { writer.save(path); }, writer.openMessage + path + " (" + reason + ")", writer.openSite);
        }
        EXPECT_EQ(Read(procFile), procBefore);
        EXPECT_EQ(Read(PathOf("plain")), "a file");
    }
}

// A save into a folder where no file can be made, a read-only mount or a folder the saver may not
// write, says why and leaves the old file. Forked children mount the folder read-only in a mount
// namespace of their own, or save as nobody.
TEST_F(ConfigurationFileSaveTest, ASaveWhereNoFileCanBeMadeSaysWhy) {
    const struct {
        const char* name;
        std::string (*enter)(const std::string& folder);  // what keeps the save out, or why it cannot run
        const char* reason;
    } cases[] = {
        {"a read-only mount",
         [](const std::string& folder) -> std::string {
             if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                 mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
                 mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
                 return std::string(kCannotRun) + "no read-only mount of its own (" + std::strerror(errno) + ")";
             }
             return "";
         },
         "Read-only file system"},
        {"a folder the saver may not write",
         [](const std::string&) -> std::string {
             return geteuid() == 0 && BecomeNobody() ? "" : std::string(kCannotRun) + "not root: no user to save as";
         },
         "Permission denied"},
    };
    ASSERT_EQ(chmod(PathOf("").c_str(), 0711), 0);
    std::string skipped;
    for (const auto& writer : kWriters) {
        for (const auto& row : cases) {
            SCOPED_TRACE(std::string(writer.name) + ", " + row.name);
            const std::string folder = PathOf(std::string(writer.name) + ", " + row.name);
            ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
            const std::string path = Write("old content", std::string(writer.name) + ", " + row.name + "/backup.hwg");
            const std::string failure = InChild([&]() -> std::string {
                if (std::string cannot = row.enter(folder); !cannot.empty()) {
                    return cannot;
                }
                writer.save(path);
                return "saved";
            });
            if (failure.starts_with(kCannotRun)) {
                skipped += std::string(" ") + row.name + ": " + failure;
                continue;
            }
            EXPECT_EQ(failure, writer.openMessage + path + " (" + row.reason + ")");
            EXPECT_EQ(Read(path), "old content");
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator{}),
                      1);
        }
    }
    if (!skipped.empty()) {
        GTEST_SKIP() << skipped;
    }
}

// A save runs in a program that may start others: every descriptor it opens, the one that holds the
// old file among them, is closed on exec, and closed once the save is over, whether it succeeded or
// failed.
TEST_F(ConfigurationFileSaveTest, ASaveClosesEveryDescriptorItOpens) {
    const struct {
        const char* name;
        bool existing;
        bool fullDisk;
        bool fails;
    } cases[] = {
        {"a new file", false, false, false},
        {"replacing a file", true, false, false},
        {"a failed write replacing a file", true, true, true},
    };
    for (const auto& writer : kWriters) {
        for (const auto& row : cases) {
            SCOPED_TRACE(std::string(writer.name) + ", " + row.name);
            const std::string path = PathOf("backup.hwg");
            std::filesystem::remove(path);
            if (row.existing) {
                Write("old content", "backup.hwg");
            }
            const std::vector<int> before = TavTest::OpenDescriptors();
            std::vector<int> notClosedOnExec;
            int steps = 0;
            {
                const ScopedStepHook hook([&](TavFiles::TemporaryFileStep, int) {
                    ++steps;
                    for (const int descriptor : TavTest::OpenDescriptors()) {
                        if (std::find(before.begin(), before.end(), descriptor) == before.end() &&
                            (fcntl(descriptor, F_GETFD) & FD_CLOEXEC) == 0) {
                            notClosedOnExec.push_back(descriptor);
                        }
                    }
                });
                std::optional<SmallFileSizeLimit> limit;
                if (row.fullDisk) {
                    limit.emplace();
                }
                bool failed = false;
                try {
                    writer.save(path);
                } catch (const ElvarinException&) {
                    failed = true;
                }
                EXPECT_EQ(failed, row.fails);
            }
            EXPECT_GT(steps, 0);
            EXPECT_EQ(notClosedOnExec, std::vector<int>{});
            EXPECT_EQ(TavTest::OpenDescriptors(), before);
        }
    }
    for (const auto& writer : kWriters) {
        SCOPED_TRACE(std::string(writer.name) + ", no regular file");
        const std::vector<int> before = TavTest::OpenDescriptors();
        EXPECT_THROW(writer.save("/dev/full"), ElvarinException);
        EXPECT_EQ(TavTest::OpenDescriptors(), before);
    }
}

// A link is followed as the system follows it, through chains of links and links to folders, with
// ".." taken from where a link led, and a relative path from the working directory: the file it
// names is replaced, with the permissions it had, and the links stay.
TEST_F(ConfigurationFileSaveTest, SaveThroughALinkReplacesTheLinkedFileWithItsPermissions) {
    const struct {
        const char* name;
        std::vector<std::pair<std::string, std::string>> links;  // name and text, "{path}" the test's folder
        const char* saved;                                       // relative to the working directory, the folder
    } cases[] = {
        {"a link", {{"link.hwg", "{path}/deep/er/target.hwg"}}, "{path}/link.hwg"},
        {"relative links through a linked folder",
         {{"folder", "deep/er"}, {"link.hwg", "folder/next.hwg"}, {"deep/er/next.hwg", "target.hwg"}},
         "{path}/link.hwg"},
        {"\"..\" after a linked folder", {{"folder", "deep/er/sub"}}, "{path}/folder/../target.hwg"},
        {"a relative path through a link", {{"link.hwg", "deep/er/target.hwg"}}, "link.hwg"},
    };
    for (const auto& writer : kWriters) {
        for (const auto& row : cases) {
            SCOPED_TRACE(std::string(writer.name) + ", " + row.name);
            for (const auto& entry : Entries()) {
                std::filesystem::remove_all(PathOf(entry));
            }
            std::filesystem::create_directories(PathOf("deep/er/sub"));
            const std::string target = Write("old content", "deep/er/target.hwg");
            ASSERT_EQ(chmod(target.c_str(), 0640), 0);
            for (const auto& [name, text] : row.links) {
                std::filesystem::create_symlink(WithPath(text, PathOf("")), PathOf(name));
            }
            const int workingDirectory = open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
            ASSERT_EQ(chdir(PathOf("").c_str()), 0);
            EXPECT_NO_THROW(writer.save(WithPath(row.saved, PathOf(""))));
            EXPECT_EQ(fchdir(workingDirectory), 0);
            close(workingDirectory);
            for (const auto& [name, text] : row.links) {
                EXPECT_TRUE(std::filesystem::is_symlink(PathOf(name))) << name;
            }
            EXPECT_NE(Read(target), "old content");
            struct stat status {};
            ASSERT_EQ(stat(target.c_str(), &status), 0);
            EXPECT_EQ(status.st_mode & 07777, 0640u);
            EXPECT_TRUE(std::filesystem::is_empty(PathOf("deep/er/sub")));
        }
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

// In a folder that is sticky and writable by others, as the system's temporary folder is, anyone may
// put a link or a file at the name a host running as root saves to. There the save follows no link
// of another user's, anywhere on the path, and replaces no file of another user's: only its own and
// the folder owner's. It fails, writing nothing, and what it would have written through is as it
// was, to every user; elsewhere it follows links as ever. The shared folder is kFolderOwner's.
TEST_F(ConfigurationFileSaveTest, InASharedFolderASaveTrustsOnlyItsOwnAndTheFolderOwnersLinksAndFiles) {
    constexpr uid_t kFolderOwner = 4003, kAnotherUser = 4005;
    struct Entry {
        const char* path;
        const char* linkTo;  // a file of 0644 where there is none
        uid_t owner;
    };
    const struct {
        const char* name;
        mode_t sharedMode;
        std::vector<Entry> entries;  // made besides secret/data, root's 0600 in a folder of 0700
        const char* saved;           // the path saved to, in the row's folder
        const char* named;           // the file that path names
        const char* refusal;         // "{path}" is the row's folder; empty for a save
    } cases[] = {
        {"another user's link", 01777, {{"shared/t.hwg", "../secret/data", kAnotherUser}}, "shared/t.hwg",
         "secret/data", "{path}/shared/t.hwg is another user's link in a shared folder"},
        {"another user's file", 01777, {{"shared/t.hwg", nullptr, kAnotherUser}}, "shared/t.hwg", "shared/t.hwg",
         "{path}/shared/t.hwg is another user's file in a shared folder"},
        // Not followed even to see whether it names a file: nothing is made where it points.
        {"another user's link that names no file", 01777, {{"shared/t.hwg", "../secret/new.hwg", kAnotherUser}},
         "shared/t.hwg", "secret/new.hwg", "{path}/shared/t.hwg is another user's link in a shared folder"},
        {"another user's link to a folder, in the middle of the path", 01777,
         {{"shared/d", "../secret", kAnotherUser}}, "shared/d/data", "secret/data",
         "{path}/shared/d is another user's link in a shared folder"},
        {"the saver's link to another user's link", 01777,
         {{"own.hwg", "shared/t.hwg", 0}, {"shared/t.hwg", "../secret/data", kAnotherUser}}, "own.hwg",
         "secret/data", "{path}/shared/t.hwg is another user's link in a shared folder"},
        {"the folder owner's link", 01777, {{"shared/t.hwg", "../secret/data", kFolderOwner}}, "shared/t.hwg",
         "secret/data", ""},
        {"the saver's own link", 01777, {{"shared/t.hwg", "../secret/data", 0}}, "shared/t.hwg", "secret/data", ""},
        {"the folder owner's file", 01777, {{"shared/t.hwg", nullptr, kFolderOwner}}, "shared/t.hwg",
         "shared/t.hwg", ""},
        {"the saver's own file", 01777, {{"shared/t.hwg", nullptr, 0}}, "shared/t.hwg", "shared/t.hwg", ""},
        {"a new file", 01777, {}, "shared/t.hwg", "shared/t.hwg", ""},
        {"another user's link in a sticky folder only its group may write", 01775,
         {{"shared/t.hwg", "../secret/data", kAnotherUser}}, "shared/t.hwg", "secret/data", ""},
        {"another user's link in a folder anyone may write, not sticky", 0777,
         {{"shared/t.hwg", "../secret/data", kAnotherUser}}, "shared/t.hwg", "secret/data", ""},
    };
    if (geteuid() != 0) {
        GTEST_SKIP() << "not root: no other user's link or file to save through";
    }
    const std::vector<TestUser> users = {{kFolderOwner, {kFolderOwner}}, {kAnotherUser, {kAnotherUser}},
                                         {kNobody, {kNobody}}};
    // What is at the path: a link's text and owner, or a file's content, permissions and who may open
    // it; "none" for nothing.
    struct Seen {
        std::string what;
        Access access;
        std::vector<std::string> opens;
    };
    const auto seenAt = [&users](const std::string& path) -> Seen {
        struct stat status {};
        if (lstat(path.c_str(), &status) != 0) {
            return {"none", {}, {}};
        }
        if (S_ISLNK(status.st_mode)) {
            return {"a link to " + std::filesystem::read_symlink(path).string(), {status.st_uid, 0, 0, {}}, {}};
        }
        return {Read(path), AccessOf(path), WhatEachMayOpen(path, users)};
    };
    ASSERT_EQ(chmod(PathOf("").c_str(), 0711), 0);
    int folderCount = 0;
    for (const auto& writer : kWriters) {
        for (const auto& row : cases) {
            SCOPED_TRACE(std::string(writer.name) + ", " + row.name);
            const std::string folder = PathOf(std::to_string(folderCount++));
            ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
            ASSERT_EQ(mkdir((folder + "/secret").c_str(), 0700), 0);
            std::ofstream(folder + "/secret/data") << "root's content";
            ASSERT_EQ(chmod((folder + "/secret/data").c_str(), 0600), 0);
            ASSERT_EQ(mkdir((folder + "/shared").c_str(), 0700), 0);
            ASSERT_EQ(chown((folder + "/shared").c_str(), kFolderOwner, kFolderOwner), 0);
            ASSERT_EQ(chmod((folder + "/shared").c_str(), row.sharedMode), 0);
            for (const auto& [entry, linkTo, owner] : row.entries) {
                const std::string path = folder + "/" + entry;
                if (linkTo != nullptr) {
                    ASSERT_EQ(symlink(linkTo, path.c_str()), 0) << path;
                } else {
                    std::ofstream(path) << owner << "'s content";
                    ASSERT_EQ(chmod(path.c_str(), 0644), 0);
                }
                ASSERT_EQ(lchown(path.c_str(), owner, owner), 0) << path;
            }
            const std::string saved = folder + "/" + row.saved;
            const std::string named = folder + "/" + row.named;
            const Seen before = seenAt(named);
            std::vector<Seen> entriesBefore;
            for (const auto& entry : row.entries) {
                entriesBefore.push_back(seenAt(folder + "/" + entry.path));
            }

            if (std::string(row.refusal).empty()) {
                EXPECT_NO_THROW(writer.save(saved));
                const Seen after = seenAt(named);
                EXPECT_NE(after.what, before.what);
                if (before.what != "none") {
                    EXPECT_EQ(after.access, before.access);
                    EXPECT_EQ(after.opens, before.opens);
                }
                continue;
            }
            ExpectFailure([&] { writer.save(saved); },
                          writer.openMessage + saved + " (" + WithPath(row.refusal, folder) + ")", writer.openSite);
            for (std::size_t at = 0; at <= row.entries.size(); ++at) {
                const std::string path = folder + "/" + (at < row.entries.size() ? row.entries[at].path : row.named);
                const Seen& then = at < row.entries.size() ? entriesBefore[at] : before;
                const Seen now = seenAt(path);
                EXPECT_EQ(now.what, then.what) << path;
                EXPECT_EQ(now.access, then.access) << path;
                EXPECT_EQ(now.opens, then.opens) << path;
            }
            for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
                EXPECT_FALSE(entry.path().filename().string().starts_with(".tav-")) << entry.path();
            }
        }
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
