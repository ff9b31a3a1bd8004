#include "common/FieldEntry.h"

#include "Tavelin/ElvarinException.h"
#include "common/SourceLocation.h"

namespace TavCommon {

namespace {

uint8_t Bit(uint8_t value, int position) { return static_cast<uint8_t>((value & 1) << position); }

uint8_t BitAt(uint8_t byte, int position) { return static_cast<uint8_t>((byte >> position) & 1); }

}  // namespace

std::vector<uint8_t> FieldEntry::ToVector() const {
    // Byte 1, bit 2 is unused and always 0.
    return {
        static_cast<uint8_t>(Bit(FieldValid, 7) | (ConversionType & 0x03) << 5 | (FixedFieldOutputLength & 0x1F)),
        static_cast<uint8_t>(Bit(ReverseBits, 7) | Bit(ReverseBytes, 6) | Bit(FiveBMS, 5) | Bit(InvertBits, 4) |
                             Bit(ReverseAllBytes, 3) | Bit(UseHash, 1) | Bit(ExtraFlag, 0)),
        StartingBitPosition,
        BitCountOfField,
    };
}

FieldEntry FieldEntry::FromVector(std::span<const uint8_t> bytes) {
    if (bytes.size() < kWireSize) {
        TAV_THROW(ElvarinException, "FieldEntry::FromVector requires at least 4 bytes");
    }
    FieldEntry entry;
    entry.FieldValid = BitAt(bytes[0], 7);
    entry.ConversionType = static_cast<uint8_t>((bytes[0] >> 5) & 0x03);
    entry.FixedFieldOutputLength = static_cast<uint8_t>(bytes[0] & 0x1F);
    entry.ReverseBits = BitAt(bytes[1], 7);
    entry.ReverseBytes = BitAt(bytes[1], 6);
    entry.FiveBMS = BitAt(bytes[1], 5);
    entry.InvertBits = BitAt(bytes[1], 4);
    entry.ReverseAllBytes = BitAt(bytes[1], 3);
    entry.UseHash = BitAt(bytes[1], 1);
    entry.ExtraFlag = BitAt(bytes[1], 0);
    entry.StartingBitPosition = bytes[2];
    entry.BitCountOfField = bytes[3];
    return entry;
}

void FieldEntry::Validate() const {
    ThrowExceptionForPropertyOutOfRange<uint8_t>("FieldEntry::FieldValid", FieldValid, 0, 1);
    ThrowExceptionForPropertyOutOfRange<uint8_t>("FieldEntry::FixedFieldOutputLength", FixedFieldOutputLength, 0, 31);
    ThrowExceptionForPropertyOutOfRange<uint8_t>("FieldEntry::ReverseBits", ReverseBits, 0, 1);
    ThrowExceptionForPropertyOutOfRange<uint8_t>("FieldEntry::ReverseBytes", ReverseBytes, 0, 1);
    ThrowExceptionForPropertyOutOfRange<uint8_t>("FieldEntry::FiveBMS", FiveBMS, 0, 1);
    ThrowExceptionForPropertyOutOfRange<uint8_t>("FieldEntry::InvertBits", InvertBits, 0, 1);
    ThrowExceptionForPropertyOutOfRange<uint8_t>("FieldEntry::ReverseAllBytes", ReverseAllBytes, 0, 1);
    ThrowExceptionForPropertyOutOfRange<uint8_t>("FieldEntry::UseHash", UseHash, 0, 1);
    if (ConversionType > 3) {
        TAV_THROW(ElvarinException, "Invalid Conversion Type value was specified");
    }
}

bool FieldEntry::operator==(const FieldEntry& other) const {
    return FieldValid == other.FieldValid && ConversionType == other.ConversionType &&
           FixedFieldOutputLength == other.FixedFieldOutputLength && ReverseBits == other.ReverseBits &&
           ReverseBytes == other.ReverseBytes && FiveBMS == other.FiveBMS && InvertBits == other.InvertBits &&
           ReverseAllBytes == other.ReverseAllBytes && UseHash == other.UseHash && ExtraFlag == other.ExtraFlag &&
           StartingBitPosition == other.StartingBitPosition && BitCountOfField == other.BitCountOfField;
}

}  // namespace TavCommon
