#include "common/FieldSeparatorDataHeader.h"

#include "Tavelin/ElvarinException.h"
#include "common/SourceLocation.h"

namespace TavCommon {

std::vector<uint8_t> FieldSeparatorDataHeader::ToVector() const {
    return {
        static_cast<uint8_t>((StructureVersion & 0x0F) << 4 | (HeaderSize & 0x0F)),
        static_cast<uint8_t>(((FieldEntrySize / 2) & 0x07) << 5 | (FieldEntryCount & 0x1F)),
        static_cast<uint8_t>(((SeparatorEntrySize / 2) & 0x07) << 5 | (SeparatorEntryCount & 0x1F)),
        MaxStorageSize,
    };
}

FieldSeparatorDataHeader FieldSeparatorDataHeader::FromVector(std::span<const uint8_t> bytes) {
    if (bytes.size() < kWireSize) {
        TAV_THROW(ElvarinException, "FieldSeparatorDataHeader::FromVector requires at least 4 bytes");
    }
    FieldSeparatorDataHeader header;
    header.StructureVersion = static_cast<uint8_t>(bytes[0] >> 4);
    header.HeaderSize = static_cast<uint8_t>(bytes[0] & 0x0F);
    header.FieldEntrySize = static_cast<uint8_t>((bytes[1] >> 5) * 2);
    header.FieldEntryCount = static_cast<uint8_t>(bytes[1] & 0x1F);
    header.SeparatorEntrySize = static_cast<uint8_t>((bytes[2] >> 5) * 2);
    header.SeparatorEntryCount = static_cast<uint8_t>(bytes[2] & 0x1F);
    header.MaxStorageSize = bytes[3];
    return header;
}

void FieldSeparatorDataHeader::Validate() const {
    if (StructureVersion == 0) {
        TAV_THROW(ElvarinException, "FieldSeparator Structure Version value must be greater than 0");
    }
    if (HeaderSize != 4) {
        TAV_THROW(ElvarinException, "Header size value must be equal to 4");
    }
    if (FieldEntrySize != 4) {
        TAV_THROW(ElvarinException, "Field entry size value must be equal to 4");
    }
    if (SeparatorEntrySize != 2) {
        TAV_THROW(ElvarinException, "Separator entry size value must be equal to 2");
    }
    if (MaxStorageSize != 16) {
        TAV_THROW(ElvarinException, "Max storage size value must be equal to 16");
    }
    ThrowExceptionForPropertyOutOfRange<uint8_t>("FieldSeparatorDataHeader::FieldEntryCount", FieldEntryCount, 0, 31);
    ThrowExceptionForPropertyOutOfRange<uint8_t>("FieldSeparatorDataHeader::SeparatorEntryCount", SeparatorEntryCount,
                                                 0, 31);
}

bool FieldSeparatorDataHeader::operator==(const FieldSeparatorDataHeader& other) const {
    return StructureVersion == other.StructureVersion && HeaderSize == other.HeaderSize &&
           FieldEntrySize == other.FieldEntrySize && FieldEntryCount == other.FieldEntryCount &&
           SeparatorEntrySize == other.SeparatorEntrySize && SeparatorEntryCount == other.SeparatorEntryCount &&
           MaxStorageSize == other.MaxStorageSize;
}

}  // namespace TavCommon
