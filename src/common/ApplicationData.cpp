#include "common/ApplicationData.h"

#include "Tavelin/ElvarinException.h"
#include "common/SourceLocation.h"

namespace TavCommon {

std::vector<uint8_t> ApplicationData::ToVector() const {
    // Bits 6-3 of the first byte are unused and always 0.
    return {static_cast<uint8_t>((EnhanceSecurityFlag & 1) << 7 | (FieldDefinitionType & 0x07)), MaxBitCount};
}

ApplicationData ApplicationData::FromVector(std::span<const uint8_t> bytes) {
    if (bytes.size() < kWireSize) {
        TAV_THROW(ElvarinException, "ApplicationData::FromVector requires at least 2 bytes");
    }
    ApplicationData data;
    data.FieldDefinitionType = static_cast<uint8_t>(bytes[0] & 0x07);
    data.EnhanceSecurityFlag = static_cast<uint8_t>(bytes[0] >> 7);
    data.MaxBitCount = bytes[1];
    return data;
}

void ApplicationData::Validate() const {
    if (FieldDefinitionType > 5) {
        TAV_THROW(ElvarinException, "Invalid Field Definition Type value was specified");
    }
    ThrowExceptionForPropertyOutOfRange<uint8_t>("ApplicationData::EnhanceSecurityFlag", EnhanceSecurityFlag, 0, 1);
}

bool ApplicationData::operator==(const ApplicationData& other) const {
    return FieldDefinitionType == other.FieldDefinitionType && EnhanceSecurityFlag == other.EnhanceSecurityFlag &&
           MaxBitCount == other.MaxBitCount;
}

}  // namespace TavCommon
