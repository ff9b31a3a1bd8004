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

bool Contains(std::string_view line, std::string_view text) { return line.find(text) != std::string_view::npos; }

int SectionOf(BleDataType type) { return type == BleDataType::Data ? 1 : 2; }

std::string BeginLine(int section) { return fmt::format("BEGIN sFldBleData{}", section); }
std::string EndLine(int section) { return fmt::format("END sFldBleData{}", section); }

// Writing.

void validateFileSize(const std::string& path) {
    // The limit applies to a file about to be replaced as well.
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && static_cast<uint64_t>(status.st_size) > Format::kMaxFileSize) {
        TAV_THROW(ElvarinException, "File size is too large to be a valid BLE HWG file: " + path);
    }
}

void writeHwgHeaderLine(std::string& text) {
    text += Format::kHeaderLine;
    text += "\n";
}

void writeBleVersionLines(std::string& text, const TavCommon::HwgFileVersionInfo& versions) {
    text += ":Library Version: " + Format::VersionText(versions.LibraryVersion) + "\n";
    text += ":Device FW Version: " + Format::VersionText(versions.DeviceFirmwareVersion) + "\n";
}

void writeBleDataNotes(std::string& text, int section) {
    text += fmt::format(
        "\n/ Note: DO NOT change the name \"sFldBleData{}\"!\n"
        "/ No Comment or Blank Lines between data bytes.\n"
        "/ ASCII hex data bytes must be seperated by a Period.\n\n",
        section);
}

void writeBleDataSection(std::string& text, int section, const std::vector<uint8_t>& bytes) {
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

void writeHwgEndMarkerLine(std::string& text) {
    text += Format::kEndMarker;
    text += "\n";
}

void writeCrcTrailer(std::string& text) {
    const std::string crc = CalculateCrc32(text);
    text += Format::kChecksumKey;
    text += "=" + crc;
}

// Reading.

std::string loadFile(const std::string& path) {
    auto load = TavFiles::LoadTextFile(path, Format::kMaxFileSize);
    switch (load.outcome) {
    case TavFiles::TextFileLoad::Outcome::Loaded:
        return std::move(load.text);
    case TavFiles::TextFileLoad::Outcome::TooLarge:
        TAV_THROW(ElvarinException, "File size is too large to be a valid BLE HWG file: " + path);
    case TavFiles::TextFileLoad::Outcome::NotRegularFile:
        TAV_THROW(ElvarinException, "Failed to open BLE HWG file: " + path + " (not a regular file)");
    case TavFiles::TextFileLoad::Outcome::CannotOpen:
        break;
    }
    TAV_THROW(ElvarinException, "Failed to open BLE HWG file: " + path);
}

void validateHwgHeader(std::string_view text, const std::string& path) {
    TextLineCursor cursor(text);
    std::string_view first;
    if (!cursor.Next(first) || Trim(first) != Format::kHeaderLine) {
        TAV_THROW(ElvarinException, "Invalid BLE HWG file header: " + path);
    }
}

std::string extractCrcValueFromFile(const Format::Trailer& trailer) {
    if (!trailer.hasChecksumLine) {
        TAV_THROW(ElvarinException, "Failed to read CRC line from BLE HWG file");
    }
    const auto parts = TavCommon::StringUtils::Split(trailer.checksumLine, "=");
    if (parts.size() != 2) {
        TAV_THROW(ElvarinException,
                  "Invalid CRC line format in BLE HWG file: " + PrintableExcerpt(trailer.checksumLine));
    }
    return Trim(parts[1]);
}

// As for the HWG file: checked against the checksum line when the marker is there, nothing after
// the checksum line, and no checksum line without its marker.
void verifyCrc(const Format::Trailer& trailer, const std::string& path) {
    if (!trailer.hasMarker) {
        if (trailer.checksumLineWithoutMarker) {
            TAV_THROW(ElvarinException, "BLE HWG file has been tampered: " + path);
        }
        return;
    }
    const std::string stored = extractCrcValueFromFile(trailer);
    const std::string computed = CalculateCrc32(trailer.covered);
    if (stored != computed || trailer.textAfterChecksumLine) {
        TAV_THROW(ElvarinException, "BLE HWG file has been tampered: " + path);
    }
}

int detectBleDataType(std::string_view data) {
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
    TAV_THROW(ElvarinException, "Could not determine BLE data type from HWG file");
}

std::vector<uint8_t> extractBleData(std::string_view data, int section) {
    TextLineCursor cursor(data);
    std::string_view line;
    const std::string begin = BeginLine(section);
    const std::string end = EndLine(section);
    bool started = false;
    while (!started && cursor.Next(line)) {
        started = Contains(line, begin);
    }
    if (!started) {
        TAV_THROW(ElvarinException, "Could not find BLE data section BEGIN marker in HWG file");
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
                bytes.push_back(static_cast<uint8_t>(TavFiles::ParseFieldNumber(value, 16, 0xFF, "BLE data byte")));
            }
        }
    }
    // A section cut short must not load: its last byte may be half of what was written.
    TAV_THROW(ElvarinException, "Could not find BLE data section END marker in HWG file");
}

}  // namespace

void WriteBleConfigurationToBleHwgFile(const TavCommon::ReaderBleConfiguration& record, const std::string& path,
                                       const TavCommon::HwgFileVersionInfo& versions, bool withTrailer) {
    validateFileSize(path);
    const std::vector<uint8_t> bytes = record.ToVector();
    const int section = SectionOf(record.DataType);

    std::string text;
    writeHwgHeaderLine(text);
    writeBleVersionLines(text, versions);
    writeBleDataNotes(text, section);
    writeBleDataSection(text, section, bytes);
    if (withTrailer) {
        writeHwgEndMarkerLine(text);
        writeCrcTrailer(text);
    }

    const auto replaced = TavFiles::ReplaceFileAtomically(path, text);
    switch (replaced.outcome) {
    case TavFiles::AtomicFileReplace::Outcome::Replaced:
        return;
    case TavFiles::AtomicFileReplace::Outcome::CannotCreate:
        TAV_THROW(ElvarinException, "Failed to open BLE HWG file for writing: " + path);
    case TavFiles::AtomicFileReplace::Outcome::WriteFailed:
        break;
    }
    TAV_THROW(ElvarinException, fmt::format("Failed to write BLE HWG file: {} ({})", path, replaced.reason));
}

TavCommon::ReaderBleConfiguration ReadBleConfigurationFromBleHwgFile(const std::string& path) {
    const std::string text = loadFile(path);
    validateHwgHeader(text, path);
    const Format::Trailer trailer = Format::SplitAtEndMarker(text, true);
    verifyCrc(trailer, path);
    // Nothing from the end marker on is BLE data.
    const std::string_view data = std::string_view(text).substr(0, trailer.dataEnd);
    const int section = detectBleDataType(data);
    const std::vector<uint8_t> bytes = extractBleData(data, section);
    TavCommon::ReaderBleConfiguration record{};
    record.SetBleDataType(section == 1 ? BleDataType::Data : BleDataType::Key);
    record.SetBleData(bytes);
    return record;
}
