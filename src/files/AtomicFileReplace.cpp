#include "files/AtomicFileReplace.h"

#include <fcntl.h>
#include <linux/posix_acl.h>
#include <linux/posix_acl_xattr.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "files/ScopedDescriptor.h"

namespace TavFiles {

namespace {

using Outcome = AtomicFileReplace::Outcome;

AtomicFileReplace Failure(Outcome outcome, int error) { return {outcome, std::strerror(error)}; }

// Where a save writes: the folder of the target's name, held so that the temporary is made, renamed
// and removed in the folder that was checked whatever is put on the path meanwhile, and the file at
// the name when the save looked, held by an O_PATH descriptor (none for a new file).
struct Target {
    ScopedDescriptor folder{-1};
    std::string name;
    ScopedDescriptor existing{-1};
    struct stat status {};
};

// In a folder that is sticky and writable by others (the system's temporary folder) anyone may have
// put a link or a file at a name, to make the saver write through it or show it the content. Only
// the saver's own and the folder owner's are trusted there, as the kernel's protected_symlinks and
// protected_regular rules would, whatever those are set to.
bool AnotherUsersInASharedFolder(const struct stat& entry, const struct stat& folder) {
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return shared && entry.st_uid != ::geteuid() && entry.st_uid != folder.st_uid;
}

constexpr int kMostLinksFollowed = 40;  // as many as the kernel follows in one path

// Walks the path a name at a time from a held folder, following symbolic links by hand as the kernel
// would, so that each link and the file found can be checked against the folder it is in. A link at
// the path's end whose chain names no file is itself the target, replaced by a regular file. Returns
// why the save may not go there, or nothing.
std::string FindTarget(const std::string& path, Target& target) {
    if (path.empty()) {
        return std::strerror(ENOENT);
    }
    ScopedDescriptor folder(-1);
    struct stat folderStatus {};
    std::string folderPath;  // as walked, for messages
    const auto enter = [&](int descriptor, std::string shown) {
        const int error = descriptor >= 0 && ::fstat(descriptor, &folderStatus) == 0 ? 0 : errno;
        folder.Reset(descriptor);
        folderPath = std::move(shown);
        return error;
    };
    const auto enterRoot = [&] { return enter(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC), "/"); };
    const int started = path.starts_with('/') ? enterRoot() : enter(::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC), "");
    if (started != 0) {
        return std::strerror(started);
    }
    const auto settleIn = [&target](ScopedDescriptor& in, const std::string& name) {
        target.folder.Reset(in.Release());
        target.name = name;
        return std::string();
    };
    ScopedDescriptor endLinkFolder(-1);  // where the first link met at the path's end is, once followed
    std::string endLinkName;
    const auto failWith = [&](int error) {
        return endLinkFolder.Get() < 0 ? std::strerror(error) : settleIn(endLinkFolder, endLinkName);
    };
    std::string rest = path;
    for (int linksFollowed = 0;;) {
        const auto begin = rest.find_first_not_of('/');
        if (begin == std::string::npos) {
            return "not a regular file";  // the path names a folder
        }
        const auto end = std::min(rest.find('/', begin), rest.size());
        const std::string name = rest.substr(begin, end - begin);
        rest.erase(0, end);
        const bool last = rest.empty();
        const std::string shown = folderPath + (folderPath.empty() || folderPath.ends_with('/') ? "" : "/") + name;
        ScopedDescriptor entry(::openat(folder.Get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat status {};
        if (entry.Get() < 0 || ::fstat(entry.Get(), &status) != 0) {
            return errno == ENOENT && last && endLinkFolder.Get() < 0 ? settleIn(folder, name) : failWith(errno);
        }
        if (S_ISLNK(status.st_mode)) {
            if (AnotherUsersInASharedFolder(status, folderStatus)) {
                return shown + " is another user's link in a shared folder";
            }
            if (++linksFollowed > kMostLinksFollowed) {
                return failWith(ELOOP);
            }
            char text[PATH_MAX];
            const ssize_t length = ::readlinkat(entry.Get(), "", text, sizeof text);
            if (length <= 0 || length == sizeof text) {
                return failWith(length < 0 ? errno : length == 0 ? ENOENT : ENAMETOOLONG);
            }
            if (last && endLinkFolder.Get() < 0) {
                endLinkFolder.Reset(::fcntl(folder.Get(), F_DUPFD_CLOEXEC, 0));
                endLinkName = name;
            }
            rest.insert(0, text, static_cast<std::size_t>(length));
            if (const int error = text[0] == '/' ? enterRoot() : 0) {
                return failWith(error);
            }
            continue;
        }
        if (!last) {
            if (!S_ISDIR(status.st_mode)) {
                return failWith(ENOTDIR);
            }
            if (const int error = enter(entry.Release(), shown)) {
                return failWith(error);
            }
            continue;
        }
        if (!S_ISREG(status.st_mode)) {
            return "not a regular file";
        }
        if (AnotherUsersInASharedFolder(status, folderStatus)) {
            return shown + " is another user's file in a shared folder";
        }
        target.existing.Reset(entry.Release());
        target.status = status;
        return settleIn(folder, name);
    }
}

// A hidden name of fixed length: a target whose name is as long as the file system allows leaves no
// room for a suffix. Opened exclusively, so a name that is taken is never reused; the caller draws
// again.
std::string TemporaryName() {
    static constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
    std::string name = ".tav-";
    for (int i = 0; i < 10; ++i) {
        name += kLetters[pick(random)];
    }
    return name;
}

// Makes the rename durable. The target already holds the new content whatever happens here, so a
// folder that cannot be opened (one its owner may write but not list) or synced fails no save: the
// data was synced before the rename, and a power cut can at worst bring back the old file whole.
void SyncFolder(int folder) {
    const int descriptor = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

constexpr const char* kAccessAcl = "system.posix_acl_access";

bool NoAclSupport(int error) { return error == ENOTSUP || error == EOPNOTSUPP; }

// The access ACL as the kernel stores it, read by the call given (getxattr of a path or fgetxattr of
// a descriptor): empty when the file has none, or when its file system keeps no ACLs. Returns the
// error that kept it from being read, or 0.
template <typename GetAttribute>
int ReadAccessAcl(const GetAttribute& get, std::vector<char>& acl) {
    ssize_t size = 0;
    do {  // again when the ACL grew between asking its size and reading it
        size = get(nullptr, 0);
        if (size >= 0) {
            acl.resize(static_cast<std::size_t>(size));
            size = get(acl.data(), acl.size());
        }
    } while (size < 0 && errno == ERANGE);
    if (size >= 0) {
        acl.resize(static_cast<std::size_t>(size));
        return 0;
    }
    acl.clear();
    return errno == ENODATA || NoAclSupport(errno) ? 0 : errno;
}

bool SameFile(const struct stat& one, const struct stat& other) {
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// The access ACL of the file held by the O_PATH descriptor, found at the target's name, or why it
// could not be read. Such a descriptor has no attributes of its own, so the ACL is read through its
// link in /proc, which is that file whatever is at the name now; the calling thread's own table, as
// /proc/self is the main thread's, gone once that thread has ended. Without /proc (a chroot or a
// container that mounts none) it is read through a descriptor of the name in the held folder, opened
// without following a link and compared with the held file before the read, so it is never another
// file's; a save that cannot read it that way fails.
std::string ReadHeldAcl(const Target& target, std::vector<char>& acl) {
    const std::string link = "/proc/thread-self/fd/" + std::to_string(target.existing.Get());
    const int error = ReadAccessAcl(
        [&link](void* value, std::size_t size) { return ::getxattr(link.c_str(), kAccessAcl, value, size); }, acl);
    if (error != ENOENT || ::access("/proc/thread-self/fd", F_OK) == 0) {
        return error == 0 ? std::string() : std::strerror(error);
    }
    const std::string cannot = "could not read the permissions of the file it replaces: ";
    // Non-blocking, so that a FIFO put at the name does not stop the save.
    const ScopedDescriptor byName(
        ::openat(target.folder.Get(), target.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat found {};
    if (byName.Get() < 0 && errno == ENOENT) {
        return cannot + "it was removed from its name";
    }
    if (byName.Get() < 0 && errno != ELOOP) {
        return cannot + std::strerror(errno);
    }
    if (byName.Get() < 0 || ::fstat(byName.Get(), &found) != 0 || !SameFile(found, target.status)) {
        return cannot + "another file was put at its name";
    }
    const int byNameError = ReadAccessAcl(
        [&byName](void* value, std::size_t size) { return ::fgetxattr(byName.Get(), kAccessAcl, value, size); }, acl);
    return byNameError == 0 ? std::string() : cannot + std::strerror(byNameError);
}

// In a user namespace that does not map every id (a rootless container), an owner, group or ACL
// entry of an id outside it shows as the kernel's overflow id, or in an ACL as -1, and giving the
// overflow id would give a user outside whom the namespace maps to it, often another real one. So
// such an id is one the save may not give. Where /proc is not mounted nothing tells, and the overflow
// id is taken for one of those: a file of nobody's then gets the saver's owner or group.
class NamespaceIds {
public:
    NamespaceIds()
        : everyUserMapped_(MapsEveryId("/proc/thread-self/uid_map")),
          everyGroupMapped_(MapsEveryId("/proc/thread-self/gid_map")),
          overflowUser_(OverflowId("/proc/sys/kernel/overflowuid")),
          overflowGroup_(OverflowId("/proc/sys/kernel/overflowgid")) {}

    bool MayGiveUser(uint32_t id) const { return MayGive(id, everyUserMapped_, overflowUser_); }
    bool MayGiveGroup(uint32_t id) const { return MayGive(id, everyGroupMapped_, overflowGroup_); }

private:
    static bool MayGive(uint32_t id, bool everyMapped, uint32_t overflow) {
        return id != UINT32_MAX && (everyMapped || id != overflow);
    }

    // A small file of /proc, or empty where it cannot be read. Not LoadTextFile, whose first read is
    // sized by the file's length, 0 here: a sysctl file gives only what its first read takes.
    static std::string ReadProcFile(const char* path) {
        const ScopedDescriptor descriptor(::open(path, O_RDONLY | O_CLOEXEC));
        std::string text;
        char buffer[512];
        for (ssize_t count; descriptor.Get() >= 0 && (count = ::read(descriptor.Get(), buffer, sizeof buffer)) > 0;) {
            text.append(buffer, static_cast<std::size_t>(count));
        }
        return text;
    }

    // Whether the map's ranges ("inside outside count" lines) cover all 2^32 - 1 ids, as the initial
    // namespace's "0 0 4294967295" does.
    static bool MapsEveryId(const char* path) {
        const std::string text = ReadProcFile(path);
        uint64_t mapped = 0;
        for (const char* line = text.c_str(); *line != '\0';) {
            char* end = nullptr;
            std::strtoull(line, &end, 10);
            std::strtoull(end, &end, 10);
            mapped += std::strtoull(end, &end, 10);
            const char* next = std::strchr(end, '\n');
            line = next != nullptr ? next + 1 : end + std::strlen(end);
        }
        return mapped >= UINT32_MAX;
    }

    static uint32_t OverflowId(const char* path) {
        const std::string text = ReadProcFile(path);
        return text.empty() ? 65534 : static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
    }

    bool everyUserMapped_;
    bool everyGroupMapped_;
    uint32_t overflowUser_;
    uint32_t overflowGroup_;
};

// A process that may not give an owner or a group is refused with EPERM, or with EINVAL for an id
// that its user namespace does not map (as in a rootless container).
bool MayNotGive(int error) { return error == EPERM || error == EINVAL; }

// Gives the temporary the target's owner and its group, each where the process may and in a call of
// its own, so that a refused group does not cost the owner: root any owner and group (in a user
// namespace, any it can name), another user only a group it belongs to; what it may not give stays
// the saver's. Still 0600, the temporary then shows the content to no one but its new owner, whom the
// target lets in anyway.
int CopyOwner(int descriptor, const struct stat& existing, const NamespaceIds& ids) {
    if (ids.MayGiveUser(existing.st_uid) && ::fchown(descriptor, existing.st_uid, static_cast<gid_t>(-1)) != 0 &&
        !MayNotGive(errno)) {
        return errno;
    }
    if (ids.MayGiveGroup(existing.st_gid) && ::fchown(descriptor, static_cast<uid_t>(-1), existing.st_gid) != 0 &&
        !MayNotGive(errno)) {
        return errno;
    }
    return 0;
}

std::vector<posix_acl_xattr_entry> AclEntries(const std::vector<char>& acl) {
    std::vector<posix_acl_xattr_entry> entries;
    for (std::size_t at = sizeof(posix_acl_xattr_header); at + sizeof(posix_acl_xattr_entry) <= acl.size();
         at += sizeof(posix_acl_xattr_entry)) {
        std::memcpy(&entries.emplace_back(), acl.data() + at, sizeof(posix_acl_xattr_entry));
    }
    return entries;
}

std::vector<char> AclOf(const std::vector<posix_acl_xattr_entry>& entries) {
    const posix_acl_xattr_header header{POSIX_ACL_XATTR_VERSION};
    std::vector<char> acl(sizeof header + entries.size() * sizeof(posix_acl_xattr_entry));
    std::memcpy(acl.data(), &header, sizeof header);
    std::memcpy(acl.data() + sizeof header, entries.data(), entries.size() * sizeof(posix_acl_xattr_entry));
    return acl;
}

uint16_t PermissionsOf(const std::vector<posix_acl_xattr_entry>& entries, uint16_t tag, uint16_t absent) {
    for (const auto& entry : entries) {
        if (entry.e_tag == tag) {
            return entry.e_perm;
        }
    }
    return absent;
}

// Leaves out the named users and groups the process's user namespace cannot name: they cannot be
// set, or would name other users outside. Those users and groups lose what their entries gave, and
// no one gains: a user whose entry goes falls to the entries of the groups it belongs to or to
// "other", a group's members to "other", so those are narrowed to what the entry gave.
void LeaveOutUnnamedEntries(std::vector<posix_acl_xattr_entry>& entries, const NamespaceIds& ids) {
    const uint16_t mask = PermissionsOf(entries, ACL_MASK, S_IRWXO);
    uint16_t groupsAtMost = S_IRWXO;
    uint16_t othersAtMost = S_IRWXO;
    std::erase_if(entries, [&](const posix_acl_xattr_entry& entry) {
        const bool unnamed = (entry.e_tag == ACL_USER && !ids.MayGiveUser(entry.e_id)) ||
                             (entry.e_tag == ACL_GROUP && !ids.MayGiveGroup(entry.e_id));
        if (unnamed) {
            othersAtMost &= entry.e_perm & mask;
            groupsAtMost &= entry.e_tag == ACL_USER ? entry.e_perm & mask : S_IRWXO;
        }
        return unnamed;
    });
    for (auto& entry : entries) {
        entry.e_perm &= entry.e_tag == ACL_OTHER                                   ? othersAtMost
                        : entry.e_tag == ACL_GROUP_OBJ || entry.e_tag == ACL_GROUP ? groupsAtMost
                                                                                   : S_IRWXO;
    }
}

// A group other than the target's (one the saver may not give, or a set-group-id folder's) gets no
// more than both the target's group and everyone else had: its members may not have been let in,
// and the old group's members now count as "other". So the group's and others' permissions each
// become what the two had in common (an ACL's owning group's and other entries; named users and
// groups and the mask keep theirs), and the set-group-id bit goes. A process gets every group entry
// it matches, so the new group's entry also gives no more than any named group's: a member of the
// new group may be one its entry kept out. Entries left out for the namespace have narrowed "other"
// already, and so the new group's entry through it.
void NarrowGroupAndOthers(mode_t& mode, std::vector<posix_acl_xattr_entry>& entries) {
    mode &= ~S_ISGID;
    if (entries.empty()) {
        const mode_t common = (mode >> 3) & mode & S_IRWXO;
        mode = (mode & ~(S_IRWXG | S_IRWXO)) | (common << 3) | common;
        return;
    }
    const uint16_t common = PermissionsOf(entries, ACL_GROUP_OBJ, 0) & PermissionsOf(entries, ACL_OTHER, 0);
    uint16_t group = common;
    for (const auto& entry : entries) {
        group &= entry.e_tag == ACL_GROUP ? entry.e_perm : S_IRWXO;
    }
    for (auto& entry : entries) {
        entry.e_perm = entry.e_tag == ACL_GROUP_OBJ ? group : entry.e_tag == ACL_OTHER ? common : entry.e_perm;
    }
}

// The mode that agrees with the ACL: fchmod sets its owner's, other and mask entries (the owning
// group's where it has no mask) from the permission bits, so these must be the ACL's own.
mode_t ModeAgreeingWith(mode_t mode, const std::vector<posix_acl_xattr_entry>& entries) {
    if (entries.empty()) {
        return mode;
    }
    const mode_t group = PermissionsOf(entries, ACL_MASK, PermissionsOf(entries, ACL_GROUP_OBJ, 0));
    return (mode & ~ACCESSPERMS) | (mode_t{PermissionsOf(entries, ACL_USER_OBJ, 0)} << 6) | (group << 3) |
           PermissionsOf(entries, ACL_OTHER, 0);
}

// Gives the temporary exactly this access ACL, which sets its permission bits to match, or takes
// away the one it inherited from a default ACL of the folder when the ACL is empty. The inherited one
// lets no one in meanwhile: its mask is empty from the 0600 the temporary was made with.
int SetAccessAcl(int descriptor, const std::vector<char>& acl) {
    if (!acl.empty()) {
        return ::fsetxattr(descriptor, kAccessAcl, acl.data(), acl.size(), 0) == 0 ? 0 : errno;
    }
    if (::fremovexattr(descriptor, kAccessAcl) == 0 || errno == ENODATA || NoAclSupport(errno)) {
        return 0;
    }
    return errno;
}

std::function<void(TemporaryFileStep, int)>& StepHook() {
    static std::function<void(TemporaryFileStep, int)> hook;
    return hook;
}

void AfterStep(TemporaryFileStep step, int descriptor) {
    if (const auto& hook = StepHook()) {
        hook(step, descriptor);
    }
}

}  // namespace

void SetTemporaryFileStepHook(std::function<void(TemporaryFileStep, int descriptor)> hook) {
    StepHook() = std::move(hook);
}

AtomicFileReplace ReplaceFileAtomically(const std::string& path, std::string_view text) {
    // The file the replacement takes its owner, group, mode and ACL from is held from the walk on, so
    // that all four are that one file's whatever is put at its name meanwhile; one removed meanwhile
    // still gives them. O_PATH needs no permission on the file itself.
    Target target;
    if (std::string refusal = FindTarget(path, target); !refusal.empty()) {
        return {Outcome::CannotCreate, std::move(refusal)};
    }
    const bool exists = target.existing.Get() >= 0;
    const struct stat& status = target.status;

    // A replacement must not show the new content to anyone the target keeps out, so it is the
    // saver's alone (0600 also empties the mask of an ACL it inherits from the folder) until it takes
    // the target's owner, ACL and mode. A new file gets the mode the kernel gives any new file (from
    // the umask or the folder's default ACL), which is then already its final one.
    const mode_t creationMode = exists ? 0600 : 0666;
    std::string temporary;
    int descriptor = -1;
    for (int attempt = 0; attempt < 100 && descriptor < 0; ++attempt) {
        temporary = TemporaryName();
        descriptor = ::openat(target.folder.Get(), temporary.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, creationMode);
        if (descriptor < 0 && errno != EEXIST) {
            return Failure(Outcome::CannotCreate, errno);
        }
    }
    if (descriptor < 0) {
        return Failure(Outcome::CannotCreate, EEXIST);
    }

    const auto abandonFor = [&](std::string reason) {
        if (descriptor >= 0) {
            ::close(descriptor);
        }
        ::unlinkat(target.folder.Get(), temporary.c_str(), 0);
        return AtomicFileReplace{Outcome::WriteFailed, std::move(reason)};
    };
    const auto abandon = [&](int error) { return abandonFor(std::strerror(error)); };
    AfterStep(TemporaryFileStep::Created, descriptor);
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = ::write(descriptor, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return abandon(count < 0 ? errno : EIO);
        }
        written += static_cast<std::size_t>(count);
    }
    AfterStep(TemporaryFileStep::Written, descriptor);
    // The owner first, as changing it clears the set-id bits the mode then gives back; the mode last,
    // as its group bits are the ACL's mask. ACL and mode are the target's, narrowed for a group the
    // temporary did not get from it and for the ACL's entries the process cannot name.
    mode_t mode = status.st_mode & 07777;
    std::vector<char> acl;
    if (exists) {
        const NamespaceIds ids;
        if (const int error = CopyOwner(descriptor, status, ids)) {
            return abandon(error);
        }
        if (std::string failure = ReadHeldAcl(target, acl); !failure.empty()) {
            return abandonFor(std::move(failure));
        }
        struct stat temporaryStatus {};
        if (::fstat(descriptor, &temporaryStatus) != 0) {
            return abandon(errno);
        }
        std::vector<posix_acl_xattr_entry> entries = AclEntries(acl);
        LeaveOutUnnamedEntries(entries, ids);
        if (!ids.MayGiveGroup(status.st_gid) || temporaryStatus.st_gid != status.st_gid) {
            NarrowGroupAndOthers(mode, entries);
        }
        acl = entries.empty() ? std::vector<char>() : AclOf(entries);
        mode = ModeAgreeingWith(mode, entries);
    }
    AfterStep(TemporaryFileStep::OwnerSet, descriptor);
    if (const int error = exists ? SetAccessAcl(descriptor, acl) : 0) {
        return abandon(error);
    }
    AfterStep(TemporaryFileStep::AclSet, descriptor);
    if (exists && ::fchmod(descriptor, mode) != 0) {
        return abandon(errno);
    }
    AfterStep(TemporaryFileStep::ModeSet, descriptor);
    // Content, owner and permissions on the disk before the rename makes them the target's, so a
    // crash cannot leave an empty file or one that lets in other users than the old one did.
    if (::fsync(descriptor) != 0) {
        return abandon(errno);
    }
    const int closed = ::close(descriptor);
    descriptor = -1;
    if (closed != 0) {
        return abandon(errno);
    }
    if (::renameat(target.folder.Get(), temporary.c_str(), target.folder.Get(), target.name.c_str()) != 0) {
        return abandon(errno);
    }
    SyncFolder(target.folder.Get());
    return {Outcome::Replaced, {}};
}

}  // namespace TavFiles
