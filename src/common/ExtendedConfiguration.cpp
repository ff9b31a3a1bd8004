#include "common/ExtendedConfiguration.h"

#include <algorithm>
#include <string>

#include <fmt/format.h>

#include "Tavelin/ElvarinException.h"
#include "common/SourceLocation.h"

namespace TavCommon {

namespace {

// Refusals name the operation the caller called, not the helper that found them.
[[noreturn]] void Refuse(const char* operation, const std::string& message, int line) {
    throw ElvarinException(message, TAV_SOURCE_FILE, line, operation);
}

// Refuses what the image cannot express: more than 31 entries or characters, a character size other
// than 1 or 2, or content that would reach the application data.
void CheckContentFits(const ExtendedConfiguration& configuration) {
    const auto& header = configuration.Header;
    if (header.FieldEntryCount > ExtendedConfiguration::kMaxFieldEntries) {
        Refuse("ToVector",
               fmt::format("ExtendedConfiguration::ToVector: field entry count {} exceeds {}", header.FieldEntryCount,
                           ExtendedConfiguration::kMaxFieldEntries),
               __LINE__);
    }
    if (header.SeparatorEntryCount > ExtendedConfiguration::kMaxSeparatorEntries) {
        Refuse("ToVector",
               fmt::format("ExtendedConfiguration::ToVector: separator entry count {} exceeds {}",
                           header.SeparatorEntryCount, ExtendedConfiguration::kMaxSeparatorEntries),
               __LINE__);
    }
    std::size_t size = FieldSeparatorDataHeader::kWireSize + header.FieldEntryCount * FieldEntry::kWireSize;
    for (std::size_t i = 0; i < header.SeparatorEntryCount; ++i) {
        const SeparatorEntry& entry = configuration.SeparatorEntries[i];
        if (entry.VirtualCharacterCount > SeparatorEntry::kMaxCharacters) {
            Refuse("ToVector",
                   fmt::format("ExtendedConfiguration::ToVector: separator entry {} has {} characters, at most {}", i,
                               entry.VirtualCharacterCount, SeparatorEntry::kMaxCharacters),
                   __LINE__);
        }
        if (entry.CharacterSize != 1 && entry.CharacterSize != 2) {
            Refuse("ToVector",
                   fmt::format("ExtendedConfiguration::ToVector: separator entry {} has character size {}, "
                               "which must be 1 or 2",
                               i, entry.CharacterSize),
                   __LINE__);
        }
        size += SeparatorEntry::kWireSize + std::size_t{entry.VirtualCharacterCount} * entry.CharacterSize;
    }
    if (size > ExtendedConfiguration::kContentLimit) {
        Refuse("ToVector",
               fmt::format("ExtendedConfiguration::ToVector: header, entries and characters take {} bytes; "
                           "at most {} fit before the application data",
                           size, ExtendedConfiguration::kContentLimit),
               __LINE__);
    }
}

// Reads the image in sequence, refusing any piece that would run past its end.
class ImageReader {
public:
    explicit ImageReader(std::span<const uint8_t> image) : image_(image) {}

    // describe() names the piece for the failure message; it runs only on failure.
    template <typename Describe>
    std::span<const uint8_t> Next(std::size_t size, Describe describe) {
        if (size > image_.size() - position_) {
            Refuse("FromVector",
                   fmt::format("ExtendedConfiguration::FromVector: {} ({} bytes at offset {}) runs past the end "
                               "of the {}-byte image",
                               describe(), size, position_, image_.size()),
                   __LINE__);
        }
        const auto piece = image_.subspan(position_, size);
        position_ += size;
        return piece;
    }

private:
    std::span<const uint8_t> image_;
    std::size_t position_ = 0;
};

}  // namespace

std::vector<uint8_t> ExtendedConfiguration::ToVector() const {
    // Checked before anything is written, so the copies below stay inside the image.
    CheckContentFits(*this);
    std::vector<uint8_t> image(kWireSize, 0xFF);
    auto position = image.begin();
    const auto put = [&position](const std::vector<uint8_t>& bytes) {
        position = std::copy(bytes.begin(), bytes.end(), position);
    };
    put(Header.ToVector());
    for (std::size_t i = 0; i < Header.FieldEntryCount; ++i) {
        put(FieldEntries[i].ToVector());
    }
    for (std::size_t i = 0; i < Header.SeparatorEntryCount; ++i) {
        put(SeparatorEntries[i].ToVector());
    }
    for (std::size_t i = 0; i < Header.SeparatorEntryCount; ++i) {
        const SeparatorEntry& entry = SeparatorEntries[i];
        for (std::size_t j = 0; j < entry.VirtualCharacterCount; ++j) {
            put(entry.Characters[j].ToVector(entry.CharacterSize));
        }
    }
    const auto application = ApplicationData.ToVector();
    std::copy(application.begin(), application.end(), image.end() - TavCommon::ApplicationData::kWireSize);
    return image;
}

ExtendedConfiguration ExtendedConfiguration::FromVector(std::span<const uint8_t> bytes) {
    if (bytes.size() < kWireSize) {
        TAV_THROW(ElvarinException,
                  fmt::format("ExtendedConfiguration::FromVector requires at least {} bytes", kWireSize));
    }
    ExtendedConfiguration configuration{};
    ImageReader reader(bytes);
    // The entries start after four bytes, whatever HeaderSize claims.
    configuration.Header = FieldSeparatorDataHeader::FromVector(
        reader.Next(FieldSeparatorDataHeader::kWireSize, [] { return std::string("header"); }));
    const FieldSeparatorDataHeader& header = configuration.Header;
    // Five-bit counts: never more than the 31 slots.
    for (std::size_t i = 0; i < header.FieldEntryCount; ++i) {
        configuration.FieldEntries[i] = FieldEntry::FromVector(
            reader.Next(header.FieldEntrySize, [i] { return fmt::format("field entry {}", i); }));
    }
    for (std::size_t i = 0; i < header.SeparatorEntryCount; ++i) {
        configuration.SeparatorEntries[i] = SeparatorEntry::FromVector(
            reader.Next(header.SeparatorEntrySize, [i] { return fmt::format("separator entry {}", i); }));
    }
    // Characters follow in sequence; ByteOffset is not consulted.
    for (std::size_t i = 0; i < header.SeparatorEntryCount; ++i) {
        SeparatorEntry& entry = configuration.SeparatorEntries[i];
        for (std::size_t j = 0; j < entry.VirtualCharacterCount; ++j) {
            entry.Characters[j] = SeparatorCharacter::FromVector(reader.Next(
                entry.CharacterSize, [i, j] { return fmt::format("character {} of separator entry {}", j, i); }));
        }
    }
    configuration.ApplicationData =
        TavCommon::ApplicationData::FromVector(bytes.last(TavCommon::ApplicationData::kWireSize));
    return configuration;
}

bool ExtendedConfiguration::operator==(const ExtendedConfiguration& other) const {
    if (Header != other.Header || ApplicationData != other.ApplicationData) {
        return false;
    }
    // Counts set by hand may exceed the slots; only slots that exist are compared.
    const std::size_t fields = std::min<std::size_t>(Header.FieldEntryCount, kMaxFieldEntries);
    const std::size_t separators = std::min<std::size_t>(Header.SeparatorEntryCount, kMaxSeparatorEntries);
    return std::equal(FieldEntries, FieldEntries + fields, other.FieldEntries) &&
           std::equal(SeparatorEntries, SeparatorEntries + separators, other.SeparatorEntries);
}

}  // namespace TavCommon
