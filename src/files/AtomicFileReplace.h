#pragma once

#include <functional>
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
    std::string reason;  // the system's description of the failure, or what the save found
};

// Writes the text to a new file in the target's folder, under a short hidden name (".tav-" and ten
// letters or digits) whatever the length of the target's, syncs it, renames it over the target and
// syncs the folder: a reader of the path sees the old content or the new, never a part, and after a
// power cut finds one of them whole. A folder that cannot be synced fails no save, as the new
// content is in place by then. A replacement gets the mode and access ACL of the file at the
// target's name when the save begins, and its owner and group where the process may give them (the
// owner as root or as that owner, the group as root or as one of its members; otherwise they stay
// the saver's), before it is synced and renamed. All four come from that one file, whatever is put
// at its name or removed from it meanwhile; where no /proc is mounted the ACL is read through the
// name, from a descriptor found to be that file before the read, and a save that cannot read it so
// (another file at the name, none there any more, or one the saver may not read) fails and says
// which. In a user namespace that does not map every id, an owner, group or named ACL entry shown
// as the overflow id (or, in an ACL, as -1) is one the process may not give, as outside it may be
// another user; where /proc is not mounted nothing tells whether the process is in such a
// namespace, and the overflow id is taken for one it may not give. Named ACL entries it may not
// give are left out, and the entries and "other" that their users and groups fall to get no more
// than the left-out entries gave. A group other than the target's (one the saver may not give, or a
// set-group-id folder's) and everyone else each get only what the target gave both its group and
// everyone else: the group and other bits, or with an access ACL the owning group's and the other
// entries, each take what the two had in common (named users and groups and the mask are left as
// they are; the owning group's entry also takes no more than any named group's entry gives), and
// the set-group-id bit goes. Neither the temporary nor the replacement lets anyone but the saver
// read it whom the target keeps out.
// On any failure the temporary file is removed and an existing target keeps its content; only a
// process killed mid-way leaves a temporary behind, linked to nothing. Every descriptor it opens is
// closed on exec and closed before it returns.
// The path is walked a name at a time and the temporary is made, renamed and removed in the folder
// the walk ended in, held, whatever is put on the path meanwhile. A symbolic link is followed: the
// file it names is replaced, with the permissions it had. A link that names no file is itself
// replaced by a regular file. In a folder that is sticky and writable by others, a link anywhere on
// the path, and the file at its end, must be the saver's (its effective user id) or the folder
// owner's: another user's is refused (CannotCreate) before anything is written, a link whether or
// not it names a file, as anyone may have put it there.
AtomicFileReplace ReplaceFileAtomically(const std::string& path, std::string_view text);

// For tests only; set while no save runs, an empty function removes it. Called with the temporary's
// descriptor after each step that may change it, before the rename; for a new file the last three
// change nothing.
enum class TemporaryFileStep { Created, Written, OwnerSet, AclSet, ModeSet };
void SetTemporaryFileStepHook(std::function<void(TemporaryFileStep, int descriptor)> hook);

}  // namespace TavFiles
