#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace TavFiles {

// A configuration file read whole into memory, or why it was not.
struct TextFileLoad {
    enum class Outcome {
        Loaded,
        CannotOpen,      // missing, no permission, or the read failed
        NotRegularFile,  // a directory, FIFO, device node or socket
        TooLarge,        // more than the limit, at open or by the time it was read
    };

    Outcome outcome = Outcome::CannotOpen;
    std::string text;

    // What a reader adds to its "Failed to open" message: why, when the path is no regular file.
    std::string_view OpenFailureNote() const {
        return outcome == Outcome::NotRegularFile ? " (not a regular file)" : "";
    }
};

// Opens the path without blocking (a FIFO without a writer opens at once), requires a regular
// file of at most limit bytes, and reads at most limit + 1 bytes, so a file that grows while it
// is read is refused as too large rather than read for ever.
TextFileLoad LoadTextFile(const std::string& path, std::size_t limit);

}  // namespace TavFiles
