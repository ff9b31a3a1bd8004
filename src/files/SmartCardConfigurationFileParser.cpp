#include "files/SmartCardConfigurationFileParser.h"

#include <fmt/format.h>

#include <string_view>

#include "Tavelin/ElvarinException.h"
#include "common/SourceLocation.h"
#include "common/StringUtils.h"
#include "files/Crc32.h"
#include "files/FailureSite.h"
#include "files/FileInputText.h"
#include "files/TextFileLoad.h"
#include "files/TextLineCursor.h"

namespace {

using TavCommon::StringUtils::Split;
using TavCommon::StringUtils::Trim;
using TavFiles::PrintableExcerpt;
using TavFiles::TextLineCursor;

constexpr std::size_t kMaxFileSize = 10485760;
constexpr std::string_view kEofMarker = "[EOF]";
constexpr std::string_view kBlobMarker = "Blob";

// The lines these failures' records carry, whatever the layout of this file.
constexpr int kFileTooLargeLine = 27;
constexpr int kInvalidLineLine = 42;
constexpr int kMissingLineLine = 46;
constexpr int kInvalidBlobHeaderLine = 66;
constexpr int kOpenFailedLine = 122;
constexpr int kTamperedLine = 126;

bool Contains(std::string_view line, std::string_view text) { return line.find(text) != std::string_view::npos; }

void validateFileSize(const TavFiles::TextFileLoad& load, const std::string& path) {
    if (load.outcome == TavFiles::TextFileLoad::Outcome::TooLarge) {
        TAV_THROW_AT(ElvarinException, "File size is too large to be a valid ini file: " + path, kFileTooLargeLine);
    }
}

// The text of every line before the first "[EOF]" line, with their LFs; the cursor is left after
// the "[EOF]" line. Without that line, the whole text (no checksum line can follow it then).
std::string_view readTextUntilEofMarker(std::string_view text, TextLineCursor& cursor) {
    std::size_t end = 0;
    std::string_view line;
    while (cursor.Next(line) && !Contains(line, kEofMarker)) {
        end = cursor.Position();
    }
    return text.substr(0, end);
}

std::string extractValue(TextLineCursor& cursor, std::string_view key) {
    std::string_view line;
    if (!cursor.Next(line)) {
        TAV_THROW_AT(ElvarinException, fmt::format("Failed to read {} from Ini file", key), kMissingLineLine);
    }
    const auto parts = Split(line, "=");
    if (parts.size() != 2 || parts[0] != key) {
        TAV_THROW_AT(ElvarinException, fmt::format("Invalid line format in Ini file: {}", PrintableExcerpt(line)),
                     kInvalidLineLine);
    }
    return Trim(parts[1]);
}

// False for a tampered file.
bool verifyCrc(const std::string& text) {
    TextLineCursor cursor(text);
    const std::string computed = CalculateCrc32(readTextUntilEofMarker(text, cursor));
    return extractValue(cursor, "iEndOfIniFile") == computed;
}

TavCommon::BlobHeader parseBlobHeader(const std::string& value) {
    const auto parts = Split(value, " ");
    if (parts.size() != 4) {
        TAV_THROW_AT(ElvarinException, fmt::format("Invalid Blob Header format: {}", PrintableExcerpt(value)),
                     kInvalidBlobHeaderLine);
    }
    TavCommon::BlobHeader header;
    header.BlobType =
        static_cast<uint8_t>(TavFiles::ParseFieldNumber(parts[0], 16, 0xFF, "Blob type", TAV_FAILURE_SITE));
    header.HeaderByte1 =
        static_cast<uint8_t>(TavFiles::ParseFieldNumber(parts[1], 16, 0xFF, "Blob header byte", TAV_FAILURE_SITE));
    header.DataLength =
        static_cast<uint16_t>(TavFiles::ParseFieldNumber(parts[2], 16, 0xFFFF, "Blob data length", TAV_FAILURE_SITE));
    header.HeaderByte4 =
        static_cast<uint8_t>(TavFiles::ParseFieldNumber(parts[3], 16, 0xFF, "Blob header byte", TAV_FAILURE_SITE));
    return header;
}

std::vector<uint8_t> parseHexBytes(const std::string& value) {
    std::vector<uint8_t> bytes;
    for (const auto& piece : Split(value, " ")) {
        bytes.push_back(
            static_cast<uint8_t>(TavFiles::ParseFieldNumber(piece, 16, 0xFF, "Blob data byte", TAV_FAILURE_SITE)));
    }
    return bytes;
}

TavCommon::SmartCardConfiguration readBlob(TextLineCursor& cursor) {
    const TavCommon::BlobHeader header = parseBlobHeader(extractValue(cursor, "hdr"));
    const std::vector<uint8_t> data = parseHexBytes(extractValue(cursor, "data"));
    TavCommon::SmartCardConfiguration configuration;
    configuration.SetConfiguration(header, data);
    return configuration;
}

// The next line that is not blank must start a blob or be "[EOF]"; false at "[EOF]".
bool hasNextBlob(TextLineCursor& cursor) {
    std::string_view line;
    while (cursor.Next(line)) {
        if (Trim(line).empty()) {
            continue;
        }
        if (Contains(line, kBlobMarker)) {
            return true;
        }
        if (Contains(line, kEofMarker)) {
            return false;
        }
        TAV_THROW(ElvarinException, fmt::format("Unexpected line in SmartCard Ini file: {}", PrintableExcerpt(line)));
    }
    // The checksum test has already found the "[EOF]" line.
    return false;
}

}  // namespace

std::vector<TavCommon::SmartCardConfiguration> ReadConfigurationFromSmartCardIniFile(const std::string& path) {
    const auto load = TavFiles::LoadTextFile(path, kMaxFileSize);
    validateFileSize(load, path);
    if (load.outcome != TavFiles::TextFileLoad::Outcome::Loaded) {
        TAV_THROW_AT(ElvarinException,
                     "Failed to open SmartCard Ini file: " + path + std::string(load.OpenFailureNote()),
                     kOpenFailedLine);
    }
    const std::string& text = load.text;
    if (!verifyCrc(text)) {
        TAV_THROW_AT(ElvarinException, "SmartCard Ini file has been tampered: " + path, kTamperedLine);
    }
    std::vector<TavCommon::SmartCardConfiguration> blobs;
    TextLineCursor cursor(text);
    while (hasNextBlob(cursor)) {
        blobs.push_back(readBlob(cursor));
    }
    return blobs;
}
