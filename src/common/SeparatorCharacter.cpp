#include "common/SeparatorCharacter.h"

#include "Tavelin/ElvarinException.h"
#include "common/SourceLocation.h"

namespace TavCommon {

std::vector<uint8_t> SeparatorCharacter::ToVector(uint8_t characterSize) const {
    if (characterSize < 2) {
        return {USBKeyScanCode};
    }
    return {USBKeyScanCode, SecondByte};
}

SeparatorCharacter SeparatorCharacter::FromVector(std::span<const uint8_t> bytes) {
    if (bytes.empty()) {
        TAV_THROW(ElvarinException, "SeparatorCharacter::FromVector requires at least 1 byte");
    }
    SeparatorCharacter character;
    character.USBKeyScanCode = bytes[0];
    character.SecondByte = bytes.size() > 1 ? bytes[1] : 0;
    return character;
}

void SeparatorCharacter::Validate() const {
    ThrowExceptionForPropertyOutOfRange<uint8_t>("SeparatorCharacter::USBKeyScanCode", USBKeyScanCode, 0, 231);
}

bool SeparatorCharacter::operator==(const SeparatorCharacter& other) const {
    return USBKeyScanCode == other.USBKeyScanCode && SecondByte == other.SecondByte;
}

}  // namespace TavCommon
