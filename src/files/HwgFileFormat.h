#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What the HWG and BLE HWG files share: their first line, their end marker and checksum key, the
// size limit, the version text written into them, and how a reader finds the checksummed part.
namespace TavFiles::HwgFileFormat {

inline constexpr std::string_view kHeaderLine = "/--- Cobrel and OEM Reader Configuration Template File ---";
inline constexpr std::string_view kEndMarker = "/--- iEndOfHwgFile";
inline constexpr std::string_view kChecksumKey = "iEndOfHwgFile";
// The line between the configurations of an HWG file that holds more than one.
inline constexpr std::string_view kNextConfiguration = "##NEXTCONFIG##";
inline constexpr std::size_t kMaxFileSize = 10485760;

// A version text as it may be written into a file: control characters become blanks (a line end
// would start a line of its own), and a text that holds a marker of either format becomes
// "Unknown", since the readers search whole lines for those markers.
std::string VersionText(std::string_view text);

// A file read whole, split at its end marker.
struct Trailer {
    bool hasMarker = false;
    // Where the configuration data ends: the start of the marker line, or the end of the text.
    std::size_t dataEnd = 0;
    // The checksummed text: every line before the marker line and, when covered, the marker line,
    // each followed by LF.
    std::string covered;
    // The line after the marker line; absent when the marker line was the last one.
    bool hasChecksumLine = false;
    std::string_view checksumLine;
    // Anything but white space after the checksum line.
    bool textAfterChecksumLine = false;
    // Without a marker: a line that starts with the checksum key, as if the marker had been removed.
    bool checksumLineWithoutMarker = false;
};

// markerWithBlankIsCovered false: a marker line that holds the marker followed by a blank is
// not part of the checksummed text (the HWG file); true: the marker line always is (BLE HWG).
Trailer SplitAtEndMarker(std::string_view text, bool markerWithBlankIsCovered);

}  // namespace TavFiles::HwgFileFormat
