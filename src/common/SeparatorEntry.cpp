#include "common/SeparatorEntry.h"

#include <algorithm>

#include "Tavelin/ElvarinException.h"
#include "common/SourceLocation.h"

namespace TavCommon {

std::vector<uint8_t> SeparatorEntry::ToVector() const {
    // Bit 6 holds CharacterSize - 1; bit 5 is unused and always 0.
    return {
        static_cast<uint8_t>((SeparatorValid & 1) << 7 | ((CharacterSize - 1) & 1) << 6 |
                             (VirtualCharacterCount & 0x1F)),
        ByteOffset,
    };
}

SeparatorEntry SeparatorEntry::FromVector(std::span<const uint8_t> bytes) {
    if (bytes.size() < kWireSize) {
        TAV_THROW(ElvarinException, "SeparatorEntry::FromVector requires at least 2 bytes");
    }
    SeparatorEntry entry;
    entry.SeparatorValid = static_cast<uint8_t>(bytes[0] >> 7);
    entry.CharacterSize = (bytes[0] & 0x40) != 0 ? 2 : 1;
    entry.VirtualCharacterCount = static_cast<uint8_t>(bytes[0] & 0x1F);
    entry.ByteOffset = bytes[1];
    return entry;
}

void SeparatorEntry::Validate() const {
    ThrowExceptionForPropertyOutOfRange<uint8_t>("SeparatorEntry::SeparatorValid", SeparatorValid, 0, 1);
    ThrowExceptionForPropertyOutOfRange<uint8_t>("SeparatorEntry::CharacterSize", CharacterSize, 1, 2);
    ThrowExceptionForPropertyOutOfRange<uint8_t>("SeparatorEntry::VirtualCharacterCount", VirtualCharacterCount, 0,
                                                 kMaxCharacters);
    for (std::size_t i = 0; i < VirtualCharacterCount; ++i) {
        Characters[i].Validate();
    }
}

bool SeparatorEntry::operator==(const SeparatorEntry& other) const {
    if (SeparatorValid != other.SeparatorValid || CharacterSize != other.CharacterSize ||
        VirtualCharacterCount != other.VirtualCharacterCount || ByteOffset != other.ByteOffset) {
        return false;
    }
    // The count may come from anywhere; only the slots that exist are compared.
    const std::size_t used = std::min<std::size_t>(VirtualCharacterCount, kMaxCharacters);
    return std::equal(Characters, Characters + used, other.Characters);
}

}  // namespace TavCommon
