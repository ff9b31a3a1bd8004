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
constexpr int kUnexpectedLineLine = 106;
constexpr int kOpenFailedLine = 122;
constexpr int kTamperedLine = 126;

bool Contains(std::string_view line, std::string_view text) { return line.find(text) != std::string_view::npos; }

void ValidateFileSize(const TavFiles::TextFileLoad& load, const std::string& path) {
    if (load.outcome == TavFiles::TextFileLoad::Outcome::TooLarge) {
        TAV_STEP_SITE_AT("validateFileSize", kFileTooLargeLine)
            .Throw("File size is too large to be a valid ini file: " + path);
    }
}

// The text of every line before the first "[EOF]" line, with their LFs; the cursor is left after
// the "[EOF]" line. Without that line, the whole text (no checksum line can follow it then).
std::string_view ReadTextUntilEofMarker(std::string_view text, TextLineCursor& cursor) {
    std::size_t end = 0;
    std::string_view line;
    while (cursor.Next(line) && !Contains(line, kEofMarker)) {
        end = cursor.Position();
    }
    return text.substr(0, end);
}

std::string ExtractValue(TextLineCursor& cursor, std::string_view key) {
    std::string_view line;
    if (!cursor.Next(line)) {
        TAV_STEP_SITE_AT("extractValue", kMissingLineLine).Throw(fmt::format("Failed to read {} from Ini file", key));
    }
    const auto parts = Split(line, "=");
    if (parts.size() != 2 || parts[0] != key) {
        TAV_STEP_SITE_AT("extractValue", kInvalidLineLine)
            .Throw(fmt::format("Invalid line format in Ini file: {}", PrintableExcerpt(line)));
    }
    return Trim(parts[1]);
}

// False for a tampered file.
bool VerifyCrc(const std::string& text) {
    TextLineCursor cursor(text);
    const std::string computed = CalculateCrc32(ReadTextUntilEofMarker(text, cursor));
    return ExtractValue(cursor, "iEndOfIniFile") == computed;
}

TavCommon::BlobHeader ParseBlobHeader(const std::string& value) {
    const auto parts = Split(value, " ");
    if (parts.size() != 4) {
        TAV_STEP_SITE_AT("parseBlobHeader", kInvalidBlobHeaderLine)
            .Throw(fmt::format("Invalid Blob Header format: {}", PrintableExcerpt(value)));
    }
    TavCommon::BlobHeader header;
    header.BlobType = static_cast<uint8_t>(
        TavFiles::ParseFieldNumber(parts[0], 16, 0xFF, "Blob type", TAV_STEP_SITE("parseBlobHeader")));
    header.HeaderByte1 = static_cast<uint8_t>(
        TavFiles::ParseFieldNumber(parts[1], 16, 0xFF, "Blob header byte", TAV_STEP_SITE("parseBlobHeader")));
    header.DataLength = static_cast<uint16_t>(
        TavFiles::ParseFieldNumber(parts[2], 16, 0xFFFF, "Blob data length", TAV_STEP_SITE("parseBlobHeader")));
    header.HeaderByte4 = static_cast<uint8_t>(
        TavFiles::ParseFieldNumber(parts[3], 16, 0xFF, "Blob header byte", TAV_STEP_SITE("parseBlobHeader")));
    return header;
}

std::vector<uint8_t> ParseHexBytes(const std::string& value) {
    std::vector<uint8_t> bytes;
    for (const auto& piece : Split(value, " ")) {
        bytes.push_back(static_cast<uint8_t>(
            TavFiles::ParseFieldNumber(piece, 16, 0xFF, "Blob data byte", TAV_STEP_SITE("parseHexBytes"))));
    }
    return bytes;
}

TavCommon::SmartCardConfiguration ReadBlob(TextLineCursor& cursor) {
    const TavCommon::BlobHeader header = ParseBlobHeader(ExtractValue(cursor, "hdr"));
    const std::vector<uint8_t> data = ParseHexBytes(ExtractValue(cursor, "data"));
    TavCommon::SmartCardConfiguration configuration;
    configuration.SetConfiguration(header, data);
    return configuration;
}

// The next line that is not blank must start a blob or be "[EOF]"; false at "[EOF]".
bool HasNextBlob(TextLineCursor& cursor) {
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
        TAV_STEP_SITE_AT("hasNextBlob", kUnexpectedLineLine)
            .Throw(fmt::format("Unexpected line in SmartCard Ini file: {}", PrintableExcerpt(line)));
    }
    // The checksum test has already found the "[EOF]" line.
    return false;
}

}  // namespace

std::vector<TavCommon::SmartCardConfiguration> ReadConfigurationFromSmartCardIniFile(const std::string& path) {
    const auto load = TavFiles::LoadTextFile(path, kMaxFileSize);
    ValidateFileSize(load, path);
    if (load.outcome != TavFiles::TextFileLoad::Outcome::Loaded) {
        TAV_THROW_AT(ElvarinException,
                     "Failed to open SmartCard Ini file: " + path + std::string(load.OpenFailureNote()),
                     kOpenFailedLine);
    }
    const std::string& text = load.text;
    if (!VerifyCrc(text)) {
        TAV_THROW_AT(ElvarinException, "SmartCard Ini file has been tampered: " + path, kTamperedLine);
    }
    std::vector<TavCommon::SmartCardConfiguration> blobs;
    TextLineCursor cursor(text);
    while (HasNextBlob(cursor)) {
        blobs.push_back(ReadBlob(cursor));
    }
    return blobs;
}
