#include "visitors/SetExtendedConfigurationVisitor.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstddef>
#include <span>

#include "featureReport/SetExtendedConfigurationWithFeatureReportProtocol.h"
#include "serialBinary/SetExtendedConfigurationWithSerialBinaryProtocol.h"

namespace TavProtocol {

// Sums are taken in int: a start of 200 and a count of 100 must not wrap to 44 in a byte.
void SetExtendedConfigurationVisitor::ValidateArguments() {
    const TavCommon::FieldSeparatorDataHeader& header = configuration_.Header;
    header.Validate();

    const std::size_t fieldCount =
        std::min<std::size_t>(header.FieldEntryCount, TavCommon::ExtendedConfiguration::kMaxFieldEntries);
    const int maxBitCount = configuration_.ApplicationData.MaxBitCount;
    for (std::size_t i = 0; i < fieldCount; ++i) {
        const TavCommon::FieldEntry& field = configuration_.FieldEntries[i];
        field.Validate();
        if (int{field.BitCountOfField} + int{field.StartingBitPosition} > maxBitCount) {
            TAV_THROW(ProtocolException,
                      "Sum of BitCountOfField and StartingBitPosition must be less than maximum bit count defined in "
                      "Application Data");
        }
    }

    int totalSize = int{header.HeaderSize} + int{header.FieldEntrySize} * int{header.FieldEntryCount} +
                    int{header.SeparatorEntrySize} * int{header.SeparatorEntryCount};
    int offset = 0;
    const std::size_t separatorCount =
        std::min<std::size_t>(header.SeparatorEntryCount, TavCommon::ExtendedConfiguration::kMaxSeparatorEntries);
    for (std::size_t i = 0; i < separatorCount; ++i) {
        const TavCommon::SeparatorEntry& separator = configuration_.SeparatorEntries[i];
        separator.Validate();
        if (separator.ByteOffset != offset) {
            TAV_THROW(ProtocolException,
                      fmt::format("ByteOffset specified for separator entry {} is {}, which should be {}", i + 1,
                                  separator.ByteOffset, offset));
        }
        const int characterBytes = int{separator.CharacterSize} * int{separator.VirtualCharacterCount};
        offset += characterBytes;
        totalSize += characterBytes;
    }

    // The last two bytes of the storage carry the application data: what lands there would be
    // overwritten by it.
    const int contentLimit = int{header.MaxStorageSize} * 8 - static_cast<int>(TavCommon::ApplicationData::kWireSize);
    if (totalSize > contentLimit) {
        TAV_THROW(
            ProtocolException,
            "The total size of the Extended Configuration exceeds the maximum storage size defined in the header");
    }

    configuration_.ApplicationData.Validate();
    ThrowProtocolExceptionForPropertyOutOfRange("TavCommon::HashData::EnhanceSecurityFirmwareState",
                                                hashData_.EnhanceSecurityFirmwareState, 0, 1);
}

void SetExtendedConfigurationVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    const bool enforced = hashData_.EnhanceSecurityFirmwareState == 1;
    const auto sendHash1 = static_cast<uint8_t>(enforced || !TavCommon::HashData::IsZero(hashData_.Hash1));
    const auto sendHash2 = static_cast<uint8_t>(enforced || !TavCommon::HashData::IsZero(hashData_.Hash2));
    SetExtendedConfigurationWithFeatureReportProtocol command(
        configuration_.ToVector(), std::span<const uint8_t, TavCommon::HashData::kHashSize>(hashData_.Hash1),
        std::span<const uint8_t, TavCommon::HashData::kHashSize>(hashData_.Hash2), sendHash1, sendHash2,
        configuration_.Header.MaxStorageSize);
    command.Execute(transport);
}

void SetExtendedConfigurationVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void SetExtendedConfigurationVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    SetExtendedConfigurationWithSerialBinaryProtocol command(configuration_, hashData_);
    command.Execute(transport);
    command.ValidateResponse();
}

}  // namespace TavProtocol
