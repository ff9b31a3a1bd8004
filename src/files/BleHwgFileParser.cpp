#include "files/BleHwgFileParser.h"

#include <fmt/format.h>
#include <sys/stat.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "Tavelin/ElvarinException.h"
#include "common/SourceLocation.h"
#include "common/StringUtils.h"
#include "files/AtomicFileReplace.h"
#include "files/Crc32.h"
#include "files/FailureSite.h"
#include "files/FileInputText.h"
#include "files/HwgFileFormat.h"
#include "files/TextFileLoad.h"
#include "files/TextLineCursor.h"

namespace {

using TavCommon::BleDataType;
using TavCommon::StringUtils::StartsWith;
using TavCommon::StringUtils::Trim;
using TavFiles::PrintableExcerpt;
using TavFiles::TextLineCursor;
namespace Format = TavFiles::HwgFileFormat;

constexpr std::size_t kBytesPerLine = 8;

// The lines these failures' records carry, whatever the layout of this file.
constexpr int kFileTooLargeLine = 31;
constexpr int kInvalidCrcLineLine = 69;
constexpr int kMissingCrcLineLine = 75;
constexpr int kUnknownDataTypeLine = 101;
constexpr int kMissingBeginLine = 128;
constexpr int kOpenFailedLine = 171;
constexpr int kInvalidHeaderLine = 176;
constexpr int kTamperedLine = 189;
constexpr int kOpenForWritingFailedLine = 306;

bool Contains(std::string_view line, std::string_view text) { return line.find(text) != std::string_view::npos; }

int SectionOf(BleDataType type) { return type == BleDataType::Data ? 1 : 2; }

std::string BeginLine(int section) { return fmt::format("BEGIN sFldBleData{}", section); }
std::string EndLine(int section) { return fmt::format("END sFldBleData{}", section); }

// Writing.

// The limit applies to a file about to be replaced as well.
void ValidateFileSize(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && static_cast<uint64_t>(status.st_size) > Format::kMaxFileSize) {
        TAV_STEP_SITE_AT("validateFileSize", kFileTooLargeLine)
            .Throw("File size is too large to be a valid BLE HWG file: " + path);
    }
}

void WriteHwgHeaderLine(std::string& text) {
    text += Format::kHeaderLine;
    text += "\n";
}

void WriteBleVersionLines(std::string& text, const TavCommon::HwgFileVersionInfo& versions) {
    text += ":Library Version: " + Format::VersionText(versions.LibraryVersion) + "\n";
    text += ":Device FW Version: " + Format::VersionText(versions.DeviceFirmwareVersion) + "\n";
}

void WriteBleDataNotes(std::string& text, int section) {
    text += fmt::format(
        "\n/ Note: DO NOT change the name \"sFldBleData{}\"!\n"
        "/ No Comment or Blank Lines between data bytes.\n"
        "/ ASCII hex data bytes must be seperated by a Period.\n\n",
        section);
}

void WriteBleDataSection(std::string& text, int section, const std::vector<uint8_t>& bytes) {
    text += BeginLine(section) + "\n\n" + fmt::format("/ BleData{}[] =\n", section);
    for (std::size_t begin = 0; begin < bytes.size(); begin += kBytesPerLine) {
        std::vector<std::string> texts;
        for (std::size_t i = begin; i < std::min(begin + kBytesPerLine, bytes.size()); ++i) {
            texts.push_back(TavCommon::StringUtils::ToHex(bytes[i], 2));
        }
        text += TavCommon::StringUtils::Join(texts, ".") + "\n";
    }
    // Piece by piece: GCC 12 at -O3 takes "\n" + std::string for an overlapping copy (-Wrestrict).
    text += "\n";
    text += EndLine(section);
    text += "\n";
}

void WriteHwgEndMarkerLine(std::string& text) {
    text += Format::kEndMarker;
    text += "\n";
}

void WriteCrcTrailer(std::string& text) {
    const std::string crc = CalculateCrc32(text);
    text += Format::kChecksumKey;
    text += "=" + crc;
}

// Reading.

void ValidateFileSize(const TavFiles::TextFileLoad& load, const std::string& path) {
    if (load.outcome == TavFiles::TextFileLoad::Outcome::TooLarge) {
        TAV_STEP_SITE_AT("validateFileSize", kFileTooLargeLine)
            .Throw("File size is too large to be a valid BLE HWG file: " + path);
    }
}

bool ValidateHwgHeader(std::string_view text) {
    TextLineCursor cursor(text);
    std::string_view first;
    return cursor.Next(first) && Trim(first) == Format::kHeaderLine;
}

std::string ExtractCrcValueFromFile(const Format::Trailer& trailer) {
    if (!trailer.hasChecksumLine) {
        TAV_STEP_SITE_AT("extractCrcValueFromFile", kMissingCrcLineLine)
            .Throw("Failed to read CRC line from BLE HWG file");
    }
    const auto parts = TavCommon::StringUtils::Split(trailer.checksumLine, "=");
    if (parts.size() != 2) {
        TAV_STEP_SITE_AT("extractCrcValueFromFile", kInvalidCrcLineLine)
            .Throw("Invalid CRC line format in BLE HWG file: " + PrintableExcerpt(trailer.checksumLine));
    }
    return Trim(parts[1]);
}

// False for a tampered file. As for the HWG file: checked against the checksum line when the
// marker is there, nothing after the checksum line, and no checksum line without its marker.
bool VerifyCrc(const Format::Trailer& trailer) {
    if (!trailer.hasMarker) {
        return !trailer.checksumLineWithoutMarker;
    }
    const std::string stored = ExtractCrcValueFromFile(trailer);
    return stored == CalculateCrc32(trailer.covered) && !trailer.textAfterChecksumLine;
}

int DetectBleDataType(std::string_view data) {
    const std::string dataBegin = BeginLine(1);
    const std::string keyBegin = BeginLine(2);
    TextLineCursor cursor(data);
    std::string_view line;
    while (cursor.Next(line)) {
        if (line.size() < dataBegin.size()) {
            continue;
        }
        if (Contains(line, dataBegin)) {
            return 1;
        }
        if (Contains(line, keyBegin)) {
            return 2;
        }
    }
    TAV_STEP_SITE_AT("detectBleDataType", kUnknownDataTypeLine)
        .Throw("Could not determine BLE data type from HWG file");
}

std::vector<uint8_t> ExtractBleData(std::string_view data, int section) {
    TextLineCursor cursor(data);
    std::string_view line;
    const std::string begin = BeginLine(section);
    const std::string end = EndLine(section);
    bool started = false;
    while (!started && cursor.Next(line)) {
        started = Contains(line, begin);
    }
    if (!started) {
        TAV_STEP_SITE_AT("extractBleData", kMissingBeginLine)
            .Throw("Could not find BLE data section BEGIN marker in HWG file");
    }
    std::vector<uint8_t> bytes;
    while (cursor.Next(line)) {
        const std::string trimmed = Trim(line);
        if (Contains(trimmed, end)) {
            return bytes;
        }
        if (StartsWith(trimmed, "/")) {
            continue;
        }
        for (const auto& piece : TavCommon::StringUtils::Split(trimmed, ".")) {
            const std::string value = Trim(piece);
            if (!value.empty()) {
                bytes.push_back(static_cast<uint8_t>(
                    TavFiles::ParseFieldNumber(value, 16, 0xFF, "BLE data byte", TAV_STEP_SITE("extractBleData"))));
            }
        }
    }
    // A section cut short must not load: its last byte may be half of what was written.
    TAV_STEP_SITE("extractBleData").Throw("Could not find BLE data section END marker in HWG file");
}

}  // namespace

void WriteBleConfigurationToBleHwgFile(const TavCommon::ReaderBleConfiguration& record, const std::string& path,
                                       const TavCommon::HwgFileVersionInfo& versions, bool withTrailer) {
    ValidateFileSize(path);
    const std::vector<uint8_t> bytes = record.ToVector();
    const int section = SectionOf(record.DataType);

    std::string text;
    WriteHwgHeaderLine(text);
    WriteBleVersionLines(text, versions);
    WriteBleDataNotes(text, section);
    WriteBleDataSection(text, section, bytes);
    if (withTrailer) {
        WriteHwgEndMarkerLine(text);
        WriteCrcTrailer(text);
    }

    const auto replaced = TavFiles::ReplaceFileAtomically(path, text);
    switch (replaced.outcome) {
    case TavFiles::AtomicFileReplace::Outcome::Replaced:
        return;
    case TavFiles::AtomicFileReplace::Outcome::CannotCreate:
        TAV_THROW_AT(ElvarinException,
                     fmt::format("Failed to open BLE HWG file for writing: {} ({})", path, replaced.reason),
                     kOpenForWritingFailedLine);
    case TavFiles::AtomicFileReplace::Outcome::WriteFailed:
        break;
    }
    TAV_THROW(ElvarinException, fmt::format("Failed to write BLE HWG file: {} ({})", path, replaced.reason));
}

TavCommon::ReaderBleConfiguration ReadBleConfigurationFromBleHwgFile(const std::string& path) {
    const auto load = TavFiles::LoadTextFile(path, Format::kMaxFileSize);
    ValidateFileSize(load, path);
    if (load.outcome != TavFiles::TextFileLoad::Outcome::Loaded) {
        TAV_THROW_AT(ElvarinException, "Failed to open BLE HWG file: " + path + std::string(load.OpenFailureNote()),
                     kOpenFailedLine);
    }
    const std::string& text = load.text;
    if (!ValidateHwgHeader(text)) {
        TAV_THROW_AT(ElvarinException, "Invalid BLE HWG file header: " + path, kInvalidHeaderLine);
    }
    const Format::Trailer trailer = Format::SplitAtEndMarker(text, true);
    if (!VerifyCrc(trailer)) {
        TAV_THROW_AT(ElvarinException, "BLE HWG file has been tampered: " + path, kTamperedLine);
    }
    // Nothing from the end marker on is BLE data.
    const std::string_view data = std::string_view(text).substr(0, trailer.dataEnd);
    const int section = DetectBleDataType(data);
    const std::vector<uint8_t> bytes = ExtractBleData(data, section);
    TavCommon::ReaderBleConfiguration record{};
    record.SetBleDataType(section == 1 ? BleDataType::Data : BleDataType::Key);
    record.SetBleData(bytes);
    return record;
}
