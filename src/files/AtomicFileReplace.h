#pragma once

#include <string>
#include <string_view>

namespace TavFiles {

// The result of replacing a file's whole content.
struct AtomicFileReplace {
    enum class Outcome {
        Replaced,
        CannotCreate,  // the target is not a regular file, or no file can be made in its folder
        WriteFailed,   // writing, syncing, closing or renaming failed (a full disk, a quota, ...)
    };

    Outcome outcome = Outcome::CannotCreate;
    std::string reason;  // the system's description of the failure
};

// Writes the text to a new file in the target's folder, under a short hidden name whatever the
// length of the target's, and renames it over the target, so that a reader of the path sees the
// old content or the new, never a part. On any failure the temporary file is removed and an
// existing target keeps its content. A symbolic link is followed: the file it names is replaced,
// with the permissions it had.
AtomicFileReplace ReplaceFileAtomically(const std::string& path, std::string_view text);

}  // namespace TavFiles
