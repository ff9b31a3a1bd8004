#include "files/HwgFileFormat.h"

#include <array>

#include "common/StringUtils.h"
#include "files/TextLineCursor.h"

namespace TavFiles::HwgFileFormat {

namespace {

constexpr std::array<std::string_view, 5> kMarkerTexts{kHeaderLine, kChecksumKey, kNextConfiguration, "sFldSepData",
                                                       "sFldBleData"};

bool IsBlank(std::string_view text) { return TavCommon::StringUtils::Trim(text).empty(); }

}  // namespace

std::string VersionText(std::string_view text) {
    std::string cleaned(text);
    for (char& c : cleaned) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            c = ' ';
        }
    }
    for (const std::string_view marker : kMarkerTexts) {
        if (cleaned.find(marker) != std::string::npos) {
            return "Unknown";
        }
    }
    return cleaned;
}

Trailer SplitAtEndMarker(std::string_view text, bool markerWithBlankIsCovered) {
    Trailer trailer;
    trailer.dataEnd = text.size();
    TextLineCursor cursor(text);
    std::string_view line;
    std::size_t lineStart = 0;
    while (cursor.Next(line)) {
        if (line.find(kEndMarker) != std::string_view::npos) {
            trailer.hasMarker = true;
            trailer.dataEnd = lineStart;
            break;
        }
        if (TavCommon::StringUtils::StartsWith(TavCommon::StringUtils::Trim(line), kChecksumKey)) {
            trailer.checksumLineWithoutMarker = true;
        }
        lineStart = cursor.Position();
    }
    if (!trailer.hasMarker) {
        return trailer;
    }
    trailer.checksumLineWithoutMarker = false;
    // Every line before the marker ends with its LF in the text already; the marker line may be
    // the text's last line and is given its LF here.
    trailer.covered = text.substr(0, lineStart);
    if (markerWithBlankIsCovered || line.find(std::string(kEndMarker) + " ") == std::string_view::npos) {
        trailer.covered.append(line).push_back('\n');
    }
    trailer.hasChecksumLine = cursor.Next(trailer.checksumLine);
    trailer.textAfterChecksumLine = !IsBlank(text.substr(cursor.Position()));
    return trailer;
}

}  // namespace TavFiles::HwgFileFormat
