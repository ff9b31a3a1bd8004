#include "files/SmartCardConfigurationFileParser.h"

#include <fmt/format.h>

#include <string_view>

#include "Tavelin/ElvarinException.h"
#include "common/SourceLocation.h"
#include "common/StringUtils.h"
#include "files/Crc32.h"
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

bool Contains(std::string_view line, std::string_view text) { return line.find(text) != std::string_view::npos; }

std::string validateFileSize(const std::string& path) {
    auto load = TavFiles::LoadTextFile(path, kMaxFileSize);
    switch (load.outcome) {
    case TavFiles::TextFileLoad::Outcome::Loaded:
        return std::move(load.text);
    case TavFiles::TextFileLoad::Outcome::TooLarge:
        TAV_THROW(ElvarinException, "File size is too large to be a valid ini file: " + path);
    case TavFiles::TextFileLoad::Outcome::NotRegularFile:
        TAV_THROW(ElvarinException, "Failed to open SmartCard Ini file: " + path + " (not a regular file)");
    case TavFiles::TextFileLoad::Outcome::CannotOpen:
        break;
    }
    TAV_THROW(ElvarinException, "Failed to open SmartCard Ini file: " + path);
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
        TAV_THROW(ElvarinException, fmt::format("Failed to read {} from Ini file", key));
    }
    const auto parts = Split(line, "=");
    if (parts.size() != 2 || parts[0] != key) {
        TAV_THROW(ElvarinException, fmt::format("Invalid line format in Ini file: {}", PrintableExcerpt(line)));
    }
    return Trim(parts[1]);
}

void verifyCrc(const std::string& text, const std::string& path) {
    TextLineCursor cursor(text);
    const std::string computed = CalculateCrc32(readTextUntilEofMarker(text, cursor));
    if (extractValue(cursor, "iEndOfIniFile") != computed) {
        TAV_THROW(ElvarinException, "SmartCard Ini file has been tampered: " + path);
    }
}

TavCommon::BlobHeader parseBlobHeader(const std::string& value) {
    const auto parts = Split(value, " ");
    if (parts.size() != 4) {
        TAV_THROW(ElvarinException, fmt::format("Invalid Blob Header format: {}", PrintableExcerpt(value)));
    }
    TavCommon::BlobHeader header;
    header.BlobType = static_cast<uint8_t>(TavFiles::ParseFieldNumber(parts[0], 16, 0xFF, "Blob type"));
    header.HeaderByte1 = static_cast<uint8_t>(TavFiles::ParseFieldNumber(parts[1], 16, 0xFF, "Blob header byte"));
    header.DataLength = static_cast<uint16_t>(TavFiles::ParseFieldNumber(parts[2], 16, 0xFFFF, "Blob data length"));
    header.HeaderByte4 = static_cast<uint8_t>(TavFiles::ParseFieldNumber(parts[3], 16, 0xFF, "Blob header byte"));
    return header;
}

std::vector<uint8_t> parseHexBytes(const std::string& value) {
    std::vector<uint8_t> bytes;
    for (const auto& piece : Split(value, " ")) {
        bytes.push_back(static_cast<uint8_t>(TavFiles::ParseFieldNumber(piece, 16, 0xFF, "Blob data byte")));
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
    const std::string text = validateFileSize(path);
    verifyCrc(text, path);
    std::vector<TavCommon::SmartCardConfiguration> blobs;
    TextLineCursor cursor(text);
    while (hasNextBlob(cursor)) {
        blobs.push_back(readBlob(cursor));
    }
    return blobs;
}
