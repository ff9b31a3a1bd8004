#include "files/HwgFileParser.h"

#include <fmt/format.h>

#include <string_view>

#include "Tavelin/ElvarinException.h"
#include "common/SourceLocation.h"
#include "common/StringUtils.h"
#include "files/AtomicFileReplace.h"
#include "files/Crc32.h"
#include "files/ExtendedConfigurationImage.h"
#include "files/FailureSite.h"
#include "files/FileInputText.h"
#include "files/HwgFileFormat.h"
#include "files/HwgPropertyMapping.h"
#include "files/TextFileLoad.h"
#include "files/TextLineCursor.h"

namespace {

using TavCommon::ExtendedConfiguration;
using TavCommon::HwgPropertyMapping;
using TavCommon::HwgPropertySection;
using TavCommon::ReaderConfiguration;
using TavCommon::StringUtils::StartsWith;
using TavCommon::StringUtils::Trim;
using TavFiles::PrintableExcerpt;
using TavFiles::TextLineCursor;
namespace Format = TavFiles::HwgFileFormat;

constexpr std::string_view kBlockStart = "BEGIN sFldSepData";
constexpr std::string_view kBlockEnd = "END sFldSepData";
constexpr std::string_view kBlockNotes =
    "/ Note: DO NOT change the name \"sFldSepData\"!\n"
    "/ Comment and Blank Lines between data bytes are optional.\n"
    "/ ASCII Hex data bytes may be separated by Comma, Period, Space or Tab.";
constexpr std::size_t kImageSize = ExtendedConfiguration::kWireSize;

bool Contains(std::string_view line, std::string_view text) { return line.find(text) != std::string_view::npos; }

// Writing.

// Every configuration must come back from its file as it went in: each value text passes its
// property's setter and prints the same again.
void CheckConfiguration(std::size_t index, const ReaderConfiguration& configuration) {
    ReaderConfiguration readBack{};
    for (const auto& section : HwgPropertyMapping::Mappings()) {
        for (const auto& property : section.properties) {
            const std::string text = property.getter(configuration);
            try {
                property.setter(readBack, text);
            } catch (const ElvarinException& error) {
                TAV_STEP_SITE("checkConfiguration")
                    .Throw(fmt::format("Configuration {} cannot be written to an HWG file: {} = {}: {}", index,
                                       property.name, text, error.Message()));
            }
        }
    }
    for (const auto& section : HwgPropertyMapping::Mappings()) {
        for (const auto& property : section.properties) {
            const std::string written = property.getter(configuration);
            const std::string read = property.getter(readBack);
            if (written != read) {
                TAV_STEP_SITE("checkConfiguration")
                    .Throw(fmt::format("Configuration {} cannot be written to an HWG file: {} = {} reads back as {}",
                                       index, property.name, written, read));
            }
        }
    }
}

std::vector<uint8_t> CheckExtendedConfiguration(std::size_t index, const ExtendedConfiguration& configuration) {
    auto image = TavFiles::ExtendedConfigurationImage::Of(configuration);
    if (image.failure) {
        TAV_STEP_SITE("checkExtendedConfiguration")
            .Throw(fmt::format("Extended configuration {} cannot be written to an HWG file: {}", index,
                               *image.failure));
    }
    return std::move(image.bytes);
}

void WriteVersionLines(std::string& text, const TavCommon::HwgFileVersionInfo& versions) {
    text += "LibraryVersion = " + Format::VersionText(versions.LibraryVersion) + "\n";
    text += "DeviceFirmwareVersion = " + Format::VersionText(versions.DeviceFirmwareVersion) + "\n";
}

void WritePropertySections(std::string& text, const ReaderConfiguration& configuration) {
    text += "\n";
    for (const HwgPropertySection& section : HwgPropertyMapping::Mappings()) {
        if (section.name.empty()) {
            continue;
        }
        text += "/ " + section.name + "\n";
        for (const auto& property : section.properties) {
            text += property.name + " = " + property.getter(configuration) + "     / " + property.description + "\n";
        }
        text += "\n";
    }
}

std::string ByteLine(const std::vector<uint8_t>& image, std::size_t begin, std::size_t end) {
    std::vector<std::string> texts;
    for (std::size_t i = begin; i < end; ++i) {
        texts.push_back(TavCommon::StringUtils::ToHex(image[i], 2));
    }
    return TavCommon::StringUtils::Join(texts, ".");
}

// The image is the configuration's checked encoding: it decodes back to the same counts, and its
// pieces fit in it.
void WriteFieldSeparatorData(std::string& text, const ExtendedConfiguration& configuration,
                             const std::vector<uint8_t>& image) {
    const std::size_t fields = configuration.Header.FieldEntryCount;
    const std::size_t separators = configuration.Header.SeparatorEntryCount;
    text += kBlockNotes;
    text += "\n\n";
    text += kBlockStart;
    text += "\n\n/ FldSepHdr[2] = \n" + ByteLine(image, 0, 4) + "\n";
    text += "\n/ FldDefs[][4] = \n";
    for (std::size_t i = 0; i < fields; ++i) {
        text += ByteLine(image, 4 + 4 * i, 8 + 4 * i) + "\n";
    }
    const std::size_t separatorStart = 4 + 4 * fields;
    text += "\n/ SepDefs[][2] = \n";
    for (std::size_t i = 0; i < separators; ++i) {
        text += ByteLine(image, separatorStart + 2 * i, separatorStart + 2 * i + 2) + "\n";
    }
    text += "\n/ SepData[] = \n";
    for (std::size_t begin = separatorStart + 2 * separators; begin < kImageSize; begin += 8) {
        const std::size_t end = std::min(begin + 8, kImageSize);
        text += ByteLine(image, begin, end) + (end == kImageSize ? ".\n" : "\n");
    }
    text += "\n";
    text += kBlockEnd;
    text += "\n";
}

void WriteCardSelectionProperties(std::string& text, const ReaderConfiguration& configuration) {
    for (const HwgPropertySection& section : HwgPropertyMapping::Mappings()) {
        if (!section.name.empty()) {
            continue;
        }
        for (const auto& property : section.properties) {
            text += property.name + ": " + property.getter(configuration) + " / " + property.description + "\n";
        }
        return;
    }
}

void WriteCrcTrailer(std::string& text) {
    const std::string crc = CalculateCrc32(text);
    text += Format::kChecksumKey;
    text += " = " + crc;
}

// Reading.

void ValidateFileSize(const TavFiles::TextFileLoad& load, const std::string& path) {
    if (load.outcome == TavFiles::TextFileLoad::Outcome::TooLarge) {
        TAV_STEP_SITE("validateFileSize").Throw("File size is too large to be a valid HWG file: " + path);
    }
}

bool ValidateHwgHeader(std::string_view text) {
    TextLineCursor cursor(text);
    std::string_view first;
    return cursor.Next(first) && Trim(first) == Format::kHeaderLine;
}

std::string ExtractCrcValueFromFile(const Format::Trailer& trailer) {
    if (!trailer.hasChecksumLine) {
        TAV_STEP_SITE("extractCrcValueFromFile").Throw("Failed to read CRC line from HWG file");
    }
    const auto parts = TavCommon::StringUtils::Split(trailer.checksumLine, " = ");
    if (parts.size() != 2) {
        TAV_STEP_SITE("extractCrcValueFromFile")
            .Throw("Invalid CRC line format in HWG file: " + PrintableExcerpt(trailer.checksumLine));
    }
    return Trim(parts[1]);
}

// False for a tampered file. A file with the end marker must match its checksum and end with the
// checksum line; a file without it is read unchecked, unless a checksum line shows that its
// marker was removed.
bool VerifyCrc(const Format::Trailer& trailer) {
    if (!trailer.hasMarker) {
        return !trailer.checksumLineWithoutMarker;
    }
    const std::string stored = ExtractCrcValueFromFile(trailer);
    return stored == CalculateCrc32(trailer.covered) && !trailer.textAfterChecksumLine;
}

bool HasNextConfiguration(TextLineCursor& cursor) {
    std::string_view line;
    if (!cursor.Next(line) || line.empty()) {
        return false;
    }
    if (line.size() > Format::kHeaderLine.size() - 1 && Contains(line, Format::kHeaderLine)) {
        return true;
    }
    if (line.size() > Format::kNextConfiguration.size() - 1 && Contains(line, Format::kNextConfiguration)) {
        std::string_view next;
        if (!cursor.Next(next)) {
            return false;
        }
        return !(next.size() >= Format::kEndMarker.size() && Contains(next, Format::kEndMarker));
    }
    return false;
}

std::string ExtractPropertyValue(std::string_view line) {
    std::string_view content = line;
    if (const auto comment = content.find("/ "); comment != std::string_view::npos) {
        content = content.substr(0, comment);
    }
    const auto separator = content.find_first_of("=:\t");
    if (separator == std::string_view::npos) {
        TAV_STEP_SITE("extractPropertyValue")
            .Throw("Invalid property line format in HWG file: " + PrintableExcerpt(line));
    }
    return Trim(content.substr(separator + 1));
}

ExtendedConfiguration ExtractExtendedConfiguration(TextLineCursor& cursor) {
    std::vector<uint8_t> bytes;
    std::string_view line;
    bool ended = false;
    while (cursor.Next(line)) {
        if (StartsWith(line, kBlockEnd)) {
            ended = true;
            break;
        }
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || StartsWith(trimmed, "/ ")) {
            continue;
        }
        for (const auto& piece : TavCommon::StringUtils::Split(trimmed, ".")) {
            bytes.push_back(static_cast<uint8_t>(
                TavFiles::ParseFieldNumber(piece, 16, 0xFF, "sFldSepData byte", TAV_FAILURE_SITE)));
        }
    }
    // A block cut short must not load: its last byte may be half of what was written.
    if (!ended) {
        TAV_THROW(ElvarinException, "Missing END sFldSepData in HWG file");
    }
    if (bytes.size() != kImageSize) {
        TAV_THROW(ElvarinException,
                  fmt::format("Invalid extended configuration data size in HWG file: expected {} bytes, got {} bytes",
                              kImageSize, bytes.size()));
    }
    ExtendedConfiguration configuration = ExtendedConfiguration::FromVector(bytes);
    if (const auto image = TavFiles::ExtendedConfigurationImage::Of(configuration); image.failure) {
        TAV_THROW(ElvarinException,
                  "Extended configuration in HWG file cannot be written to a reader as it is: " + *image.failure);
    }
    return configuration;
}

TavCommon::HwgConfigurationRecord ExtractNextConfiguration(TextLineCursor& cursor) {
    TavCommon::HwgConfigurationRecord record{};
    std::string_view line;
    for (const HwgPropertySection& section : HwgPropertyMapping::Mappings()) {
        bool sectionEnded = false;
        for (const auto& property : section.properties) {
            bool found = false;
            while (!found && !sectionEnded) {
                if (!cursor.Next(line)) {
                    if (!section.name.empty()) {
                        TAV_STEP_SITE("extractNextConfiguration")
                            .Throw(fmt::format("Missing property {} in HWG file", property.name));
                    }
                    sectionEnded = true;
                } else if (Contains(line, Format::kNextConfiguration)) {
                    TAV_STEP_SITE("extractNextConfiguration")
                        .Throw(fmt::format("Missing property {} in HWG file", property.name));
                } else if (StartsWith(line, property.name)) {
                    property.setter(record.ReaderConfiguration, ExtractPropertyValue(line));
                    found = true;
                } else if (StartsWith(line, kBlockStart)) {
                    record.ExtendedConfiguration = ExtractExtendedConfiguration(cursor);
                }
            }
            if (sectionEnded) {
                break;
            }
            if (section.name.empty() && &property == &section.properties.front()) {
                record.HasCardSelection = true;
            }
        }
    }
    return record;
}

}  // namespace

void WriteConfigurationToHwgFile(const std::vector<ReaderConfiguration>& configurations,
                                 const std::vector<ExtendedConfiguration>& extendedConfigurations,
                                 const std::string& path, const TavCommon::HwgFileVersionInfo& versions) {
    if (configurations.size() != extendedConfigurations.size()) {
        TAV_THROW(ElvarinException, "The number of configurations and extended configurations must be the same.");
    }
    std::vector<std::vector<uint8_t>> images;
    for (std::size_t i = 0; i < configurations.size(); ++i) {
        CheckConfiguration(i, configurations[i]);
        images.push_back(CheckExtendedConfiguration(i, extendedConfigurations[i]));
    }

    std::string text(Format::kHeaderLine);
    text += "\n";
    WriteVersionLines(text, versions);
    if (configurations.size() == 1) {
        WritePropertySections(text, configurations[0]);
        WriteFieldSeparatorData(text, extendedConfigurations[0], images[0]);
    } else {
        for (std::size_t i = 0; i < configurations.size(); ++i) {
            WritePropertySections(text, configurations[i]);
            WriteFieldSeparatorData(text, extendedConfigurations[i], images[i]);
            WriteCardSelectionProperties(text, configurations[i]);
            text += Format::kNextConfiguration;
            text += "\n";
        }
    }
    if (versions.WithTrailer) {
        text += Format::kEndMarker;
        text += "\n";
        WriteCrcTrailer(text);
    }

    const auto replaced = TavFiles::ReplaceFileAtomically(path, text);
    switch (replaced.outcome) {
    case TavFiles::AtomicFileReplace::Outcome::Replaced:
        return;
    case TavFiles::AtomicFileReplace::Outcome::CannotCreate:
        TAV_THROW(ElvarinException, fmt::format("Failed to open HWG file for writing: {} ({})", path, replaced.reason));
    case TavFiles::AtomicFileReplace::Outcome::WriteFailed:
        break;
    }
    TAV_THROW(ElvarinException, fmt::format("Failed to write HWG file: {} ({})", path, replaced.reason));
}

std::vector<TavCommon::HwgConfigurationRecord> ReadConfigurationFromHwgFile(const std::string& path) {
    const auto load = TavFiles::LoadTextFile(path, Format::kMaxFileSize);
    ValidateFileSize(load, path);
    if (load.outcome != TavFiles::TextFileLoad::Outcome::Loaded) {
        TAV_THROW(ElvarinException, "Failed to open HWG file: " + path + std::string(load.OpenFailureNote()));
    }
    const std::string& text = load.text;
    if (!ValidateHwgHeader(text)) {
        TAV_THROW(ElvarinException, "Invalid HWG file header: " + path);
    }
    const Format::Trailer trailer = Format::SplitAtEndMarker(text, false);
    if (!VerifyCrc(trailer)) {
        TAV_THROW(ElvarinException, "HWG file has been tampered: " + path);
    }
    // Nothing from the end marker on is configuration.
    TextLineCursor cursor(std::string_view(text).substr(0, trailer.dataEnd));
    std::vector<TavCommon::HwgConfigurationRecord> records;
    while (HasNextConfiguration(cursor)) {
        records.push_back(ExtractNextConfiguration(cursor));
    }
    return records;
}
