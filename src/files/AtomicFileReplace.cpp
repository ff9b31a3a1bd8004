#include "files/AtomicFileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string_view>
#include <utility>

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
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        return {Outcome::CannotCreate, "not a regular file"};
    }

    // A replacement must not show the new content to anyone the target's mode keeps out, so it is
    // its owner's alone until written. A new file gets the mode the kernel gives any new file (from
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
    if (exists && ::fchmod(descriptor, existing.st_mode & 07777) != 0) {
        return abandon(errno);
    }
    AfterStep(TemporaryFileStep::ModeSet, descriptor);
    // Content and mode on the disk before the rename makes them the target's, so a crash cannot
    // leave an empty file or one its owner alone may read.
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
