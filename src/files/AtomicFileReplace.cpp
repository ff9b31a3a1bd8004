#include "files/AtomicFileReplace.h"

#include <fcntl.h>
#include <linux/posix_acl.h>
#include <linux/posix_acl_xattr.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

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

// The file the path names, through any symbolic links; the path itself when it does not exist.
std::string ResolveTarget(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// The target's folder with its final slash, or empty for a name in the working directory.
std::string FolderOf(const std::string& target) {
    const auto slash = target.find_last_of('/');
    return slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
}

// A hidden name of fixed length in the target's folder: a target whose name is as long as the file
// system allows leaves no room for a suffix. Opened exclusively, so a name that is taken is never
// reused; the caller draws again.
std::string TemporaryName(const std::string& folder) {
    static constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
    std::string name = folder + ".tav-";
    for (int i = 0; i < 10; ++i) {
        name += kLetters[pick(random)];
    }
    return name;
}

// Makes the rename durable. The target already holds the new content whatever happens here, so a
// folder that cannot be opened (one its owner may write but not list) or synced fails no save: the
// data was synced before the rename, and a power cut can at worst bring back the old file whole.
void SyncFolder(const std::string& folder) {
    const int descriptor = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

constexpr const char* kAccessAcl = "system.posix_acl_access";

bool NoAclSupport(int error) { return error == ENOTSUP || error == EOPNOTSUPP; }

// The access ACL at this path as the kernel stores it: empty when it has none, or when its file
// system keeps no ACLs. Returns the error that kept it from being read, or 0.
int ReadAccessAcl(const std::string& path, std::vector<char>& acl) {
    ssize_t size = 0;
    do {  // again when the ACL grew between asking its size and reading it
        size = ::getxattr(path.c_str(), kAccessAcl, nullptr, 0);
        if (size >= 0) {
            acl.resize(static_cast<std::size_t>(size));
            size = ::getxattr(path.c_str(), kAccessAcl, acl.data(), acl.size());
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

// The access ACL of the file held by the descriptor, found at the target's name. An O_PATH descriptor
// has no attributes of its own, so the ACL is read through its link in /proc, which names that file
// whatever is at the name now. Without /proc (a chroot or a container that mounts none) it is read by
// the name, and kept only if the name still gives the held file; a save that meets another file there
// fails, to be tried again, rather than take that file's ACL.
int ReadAccessAcl(int existing, const struct stat& status, const std::string& target, std::vector<char>& acl) {
    const int error = ReadAccessAcl("/proc/self/fd/" + std::to_string(existing), acl);
    if (error != ENOENT || ::access("/proc/self/fd", F_OK) == 0) {
        return error;
    }
    if (const int byName = ReadAccessAcl(target, acl)) {
        return byName;
    }
    struct stat now {};
    if (::stat(target.c_str(), &now) != 0) {
        return errno;
    }
    return SameFile(now, status) ? 0 : EAGAIN;
}

// A process that may not give an owner or a group is refused with EPERM, or with EINVAL for an id
// that its user namespace does not map (as in a rootless container).
bool MayNotGive(int error) { return error == EPERM || error == EINVAL; }

// Gives the temporary the target's owner and its group, each where the process may: root any owner
// and group (in a user namespace, any the namespace maps), another user only a group it belongs to;
// what it may not give stays the saver's. Still 0600, the temporary then shows the content to no one
// but its new owner, whom the target lets in anyway.
int CopyOwner(int descriptor, const struct stat& existing) {
    if (::fchown(descriptor, existing.st_uid, static_cast<gid_t>(-1)) != 0 && !MayNotGive(errno)) {
        return errno;
    }
    if (::fchown(descriptor, static_cast<uid_t>(-1), existing.st_gid) != 0 && !MayNotGive(errno)) {
        return errno;
    }
    return 0;
}

// A group other than the target's (one the saver could not give, or a set-group-id folder's) gets no
// more than the target gave everyone else: the owning group's permissions become those of "other",
// and the set-group-id bit goes. In an ACL that is the owning group's entry alone; the named users and
// groups keep theirs, and so does the mask that bounds them, which is then what the mode's group bits
// hold.
void LimitGroupToOthers(mode_t& mode, std::vector<char>& acl) {
    mode &= ~S_ISGID;
    bool hasMask = false;
    std::size_t groupEntry = 0;
    uint16_t otherPermissions = 0;
    for (std::size_t at = sizeof(posix_acl_xattr_header); at + sizeof(posix_acl_xattr_entry) <= acl.size();
         at += sizeof(posix_acl_xattr_entry)) {
        posix_acl_xattr_entry entry{};
        std::memcpy(&entry, acl.data() + at, sizeof entry);
        hasMask = hasMask || entry.e_tag == ACL_MASK;
        groupEntry = entry.e_tag == ACL_GROUP_OBJ ? at : groupEntry;
        otherPermissions = entry.e_tag == ACL_OTHER ? entry.e_perm : otherPermissions;
    }
    if (groupEntry != 0) {
        std::memcpy(acl.data() + groupEntry + offsetof(posix_acl_xattr_entry, e_perm), &otherPermissions,
                    sizeof otherPermissions);
    }
    if (!hasMask) {
        mode = (mode & ~S_IRWXG) | ((mode & S_IRWXO) << 3);
    }
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
    const std::string target = ResolveTarget(path);
    // The file the replacement takes its owner, group, mode and ACL from, held so that all four are
    // that one file's whatever is put at its name meanwhile; one removed meanwhile still gives them.
    // O_PATH needs no permission on the file itself.
    const ScopedDescriptor existing(::open(target.c_str(), O_PATH | O_CLOEXEC));
    struct stat status {};
    const bool exists = existing.Get() >= 0 && ::fstat(existing.Get(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode)) {
        return {Outcome::CannotCreate, "not a regular file"};
    }

    // A replacement must not show the new content to anyone the target keeps out, so it is the
    // saver's alone (0600 also empties the mask of an ACL it inherits from the folder) until it takes
    // the target's owner, ACL and mode. A new file gets the mode the kernel gives any new file (from
    // the umask or the folder's default ACL), which is then already its final one.
    const mode_t creationMode = exists ? 0600 : 0666;
    const std::string folder = FolderOf(target);
    std::string temporary;
    int descriptor = -1;
    for (int attempt = 0; attempt < 100 && descriptor < 0; ++attempt) {
        temporary = TemporaryName(folder);
        descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, creationMode);
        if (descriptor < 0 && errno != EEXIST) {
            return Failure(Outcome::CannotCreate, errno);
        }
    }
    if (descriptor < 0) {
        return Failure(Outcome::CannotCreate, EEXIST);
    }

    const auto abandon = [&](int error) {
        if (descriptor >= 0) {
            ::close(descriptor);
        }
        ::unlink(temporary.c_str());
        return Failure(Outcome::WriteFailed, error);
    };
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
    // temporary did not get from it.
    mode_t mode = status.st_mode & 07777;
    std::vector<char> acl;
    if (exists) {
        if (const int error = CopyOwner(descriptor, status)) {
            return abandon(error);
        }
        if (const int error = ReadAccessAcl(existing.Get(), status, target, acl)) {
            return abandon(error);
        }
        struct stat temporaryStatus {};
        if (::fstat(descriptor, &temporaryStatus) != 0) {
            return abandon(errno);
        }
        if (temporaryStatus.st_gid != status.st_gid) {
            LimitGroupToOthers(mode, acl);
        }
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
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        return abandon(errno);
    }
    SyncFolder(folder);
    return {Outcome::Replaced, {}};
}

}  // namespace TavFiles
