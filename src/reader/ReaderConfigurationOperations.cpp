// The reader's whole-configuration operations and its configuration files: the operations that
// take more than one facade call and convert between the host's records and the reader's blocks.
#include <fmt/format.h>

#include <cstring>
#include <filesystem>
#include <mutex>
#include <vector>

#include "Tavelin/Reader.h"
#include "Tavelin/ReaderCapabilityProfile.h"
#include "Tavelin/ReaderException.h"
#include "common/FixedText.h"
#include "common/Logger.h"
#include "common/ReaderConfiguration.h"
#include "facade/ProtocolFacade.h"
#include "files/BleHwgFileParser.h"
#include "files/HwgFileParser.h"
#include "reader/BleBlobFirmwareBytes.h"
#include "reader/ReaderConfigurationConversion.h"

namespace Tav {

namespace {

const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();

using TavProtocol::ProtocolFacade;
using enum ReaderCapability;

constexpr const char* kReaderSource = "Reader";
constexpr int kKeystrokingLine = 343;
constexpr int kNotHwgFileLine = 672;
constexpr int kHwgCountLine = 678;
constexpr int kHwgUnknownCountLine = 700;
constexpr int kBleReadSizeLine = 817;
constexpr int kBleFileLine = 850;
constexpr int kBleTypeLine = 860;
constexpr int kBleSizeLine = 872;
constexpr unsigned char kStoreWithLuid = 1;
// The installed flag of the RF HID BLE hardware in the metadata's installed-hardware bytes.
constexpr std::size_t kRfHidBleInstalledByte = 16;
// Written into the files this library saves as their library version.
constexpr const char* kLibraryVersionText = "Unknown";

ReaderCapabilitySet Requires(ReaderCapability capability) {
    ReaderCapabilitySet set;
    set.WithRequiredCapability(capability);
    return set;
}

const char* BleTypeName(TavCommon::BleDataType type) {
    return type == TavCommon::BleDataType::Data ? "Data" : "Key";
}

// What a reader reads or writes for each data type: the Data blob, the key, or the bare key that
// is only written.
std::size_t BleBlobSize(TavCommon::BleDataType type) {
    switch (type) {
    case TavCommon::BleDataType::Data:
        return 384;
    case TavCommon::BleDataType::UnencryptedKey:
        return 16;
    default:
        return 128;
    }
}

ProtocolCommandResult Success() {
    ProtocolCommandResult result;
    std::memset(&result, 0, sizeof result);
    return result;
}

}  // namespace

ReaderMetadataStruct Reader::MetadataCopy() const {
    const std::lock_guard lock(mutex_);
    return metadata_;
}

void Reader::SetReaderConfiguration(unsigned char index, const TavCommon::ReaderConfiguration& configuration,
                                    const TavCommon::ExtendedConfiguration& extended,
                                    const TavCommon::HashData& hash) const {
    TavProtocol::ReaderConfiguration blocks = ReaderConfigurationConversion::ToBlocks(configuration);
    if (configuration.DisableKeystroking == 0 &&
        !HasCapability(READER_CAPABILITY_KEYSTROKING)) {
        throw ReaderException(
            "Cannot enable keystroking on this reader. The reader does not support keystroking "
            "(READER_CAPABILITY_KEYSTROKING).",
            kReaderSource, kKeystrokingLine, "SetReaderConfiguration");
    }
    ExecuteWithCapabilityCheck(
        "SetReaderConfiguration", Requires(READER_CAPABILITY_CONFIGURABLE), [&](const ProtocolFacade& facade) {
            ProtocolCommandResult result = facade.SetActiveConfiguration(index);
            if (result.HasException) {
                return result;
            }
            // The capability members are the reader's, never the host's. When the configurations
            // disagreed at Init, each keeps what it holds rather than being overwritten with zeros.
            auto& block2 = blocks.Block2;
            if (CapabilityFlagsKnown()) {
                const ReaderMetadataStruct metadata = MetadataCopy();
                block2.ReaderSupportsReverseAllBytes = metadata.SupportsReverseAllBytes;
                block2.ExtendedAscii = metadata.SupportsAsciiExtended;
                block2.ExtendedOutputCapable = metadata.SupportsExtendedMode;
                block2.Vastrel = metadata.VastrelMode;
            } else {
                TavProtocol::ReaderConfigurationBlock2 current;
                result = facade.GetConfigurationBlock2(current);
                if (result.HasException) {
                    return result;
                }
                block2.ReaderSupportsReverseAllBytes = current.ReaderSupportsReverseAllBytes;
                block2.ExtendedAscii = current.ExtendedAscii;
                block2.ExtendedOutputCapable = current.ExtendedOutputCapable;
                block2.Vastrel = current.Vastrel;
            }
            result = facade.SetConfiguration(index, blocks);
            if (result.HasException) {
                return result;
            }
            if (HasCapability(READER_CAPABILITY_EXTENDED_CONFIGURATION)) {
                try {
                    extended.Header.Validate();
                    result = facade.SetExtendedConfiguration(extended, hash);
                } catch (const ElvarinException&) {
                    TavCommon::Logger::Warn(logger, TavCommon::kReaderCategory,
                                            "Extended configuration skipped due to invalid data.");
                }
                if (result.HasException) {
                    return result;
                }
            }
            return facade.WriteConfiguration(kStoreWithLuid);
        });
}

void Reader::GetReaderConfiguration(unsigned char index, TavCommon::ReaderConfiguration& configuration,
                                    TavCommon::ExtendedConfiguration& extended) const {
    TavProtocol::ReaderConfiguration blocks;
    ExecuteWithCapabilityCheck(
        "GetReaderConfiguration", Requires(READER_CAPABILITY_CONFIGURABLE), [&](const ProtocolFacade& facade) {
            ProtocolCommandResult result = facade.SetActiveConfiguration(index);
            if (result.HasException) {
                return result;
            }
            result = facade.GetConfiguration(index, blocks);
            if (result.HasException) {
                return result;
            }
            if (HasCapability(READER_CAPABILITY_EXTENDED_CONFIGURATION)) {
                return facade.GetExtendedConfiguration(extended);
            }
            return Success();
        });
    ReaderConfigurationConversion::FromBlocks(blocks, configuration);
}

void Reader::WriteHwgFileToReader(const std::string& path) const {
    if (std::filesystem::path(path).extension() != ".hwg") {
        throw ReaderException(fmt::format("File '{}' is not a valid HWG file.", path), kReaderSource, kNotHwgFileLine,
                              "WriteHwgFileToReader");
    }
    const std::vector<TavCommon::HwgConfigurationRecord> records = ReadConfigurationFromHwgFile(path);
    const int32_t readerCount = MetadataCopy().ConfigurationCount;
    if (static_cast<int64_t>(records.size()) != readerCount) {
        throw ReaderException(
            fmt::format("Number of configurations in HWG file-{} does not match reader's configuration count-{}.",
                        records.size(), readerCount),
            kReaderSource, kHwgCountLine, "WriteHwgFileToReader");
    }
    ExecuteWithCapabilityCheck(
        "WriteHwgFileToReader", Requires(READER_CAPABILITY_CONFIGURABLE), [&](const ProtocolFacade& facade) {
            for (std::size_t i = 0; i < records.size(); ++i) {
                const auto index = static_cast<unsigned char>(i);
                TavCommon::ReaderConfiguration configuration = records[i].ReaderConfiguration;
                TavProtocol::ReaderConfiguration current;
                const ProtocolCommandResult result = facade.GetConfiguration(index, current);
                if (result.HasException) {
                    return result;
                }
                // What an HWG file does not carry stays as the reader has it.
                configuration.SetUseFixedLengthFac(current.Block4.FixedLengthFac != 0)
                    .SetUseFixedLengthId(current.Block4.FixedLengthId != 0)
                    .SetUseIndividualIdAndFacFixedLengths(current.Block4.SplitFixedLength != 0)
                    .SetCfgRb3(current.Block4.CfgRb3)
                    .SetCfgRb4(current.Block4.CfgRb4)
                    .SetDisableCardConfiguration(current.Block5.DisableCardConfiguration != 0)
                    .SetSorwynCompatibilityCharacter(current.Block5.SorwynCompatibilityCharacter)
                    .SetSorwynCharacterCount(current.Block5.SorwynCharacterCount);
                // A file without card-selection lines keeps the reader's card type and priority
                // instead of resetting them to none.
                if (!records[i].HasCardSelection) {
                    configuration.SetCardType(current.Block5.CardType)
                        .SetHighPriorityCardType(current.Block5.SetHighPriorityCardType != 0);
                }
                SetReaderConfiguration(index, configuration, records[i].ExtendedConfiguration, TavCommon::HashData{});
            }
            return Success();
        });
}

void Reader::ReadHwgFileFromReader(const std::string& path, bool withTrailer) {
    ExecuteWithCapabilityCheck(
        "ReadHwgFileFromReader", Requires(READER_CAPABILITY_CONFIGURABLE), [&](const ProtocolFacade&) {
            const ReaderMetadataStruct metadata = MetadataCopy();
            // A backup without configurations could never be loaded again: it is no backup.
            if (metadata.ConfigurationCount <= 0) {
                throw ReaderException(
                    "Cannot save an HWG file: the reader's configuration count is unknown. Call Init() or "
                    "RefreshMetadata() first.",
                    kReaderSource, kHwgUnknownCountLine, "ReadHwgFileFromReader");
            }
            const auto count = static_cast<std::size_t>(metadata.ConfigurationCount);
            std::vector<TavCommon::ReaderConfiguration> configurations(count);
            std::vector<TavCommon::ExtendedConfiguration> extended(count);
            for (std::size_t i = 0; i < count; ++i) {
                GetReaderConfiguration(static_cast<unsigned char>(i), configurations[i], extended[i]);
            }
            const TavCommon::HwgFileVersionInfo versions{
                std::string(TavCommon::ReadFixedField(metadata.FirmwareVersionText)), kLibraryVersionText,
                withTrailer};
            WriteConfigurationToHwgFile(configurations, extended, path, versions);
            return Success();
        });
}

void Reader::ReadBleConfigurationFromReader(TavCommon::BleDataType type, const std::string& path) {
    ExecuteWithCapabilityCheck(
        "ReadBleConfigurationFromReader", Requires(READER_CAPABILITY_BLUETOOTH), [&](const ProtocolFacade& facade) {
            std::vector<unsigned char> bytes;
            const ProtocolCommandResult result = facade.GetBleBlob(type, bytes);
            if (result.HasException) {
                return result;
            }
            const std::size_t expected = type == TavCommon::BleDataType::Data ? 384 : 128;
            if (bytes.size() != expected) {
                throw ReaderException(fmt::format("Failed to read complete BLE configuration. Expected {} bytes, got {} "
                                                  "bytes.",
                                                  expected, bytes.size()),
                                      kReaderSource, kBleReadSizeLine, "ReadBleConfigurationFromReader");
            }
            TavCommon::ReaderBleConfiguration record;
            record.SetBleDataType(type).SetBleData(bytes);
            const ReaderMetadataStruct metadata = GetMetadataStruct(false);
            const TavCommon::HwgFileVersionInfo versions{
                std::string(TavCommon::ReadFixedField(metadata.FirmwareVersionText)), kLibraryVersionText, true};
            WriteBleConfigurationToBleHwgFile(record, path, versions, true);
            return Success();
        });
}

void Reader::WriteBleConfigurationToReader(TavCommon::BleDataType type, const std::string& path) const {
    TavCommon::ReaderBleConfiguration record;
    try {
        record = ReadBleConfigurationFromBleHwgFile(path);
    } catch (const ElvarinException& error) {
        throw ReaderException("Failed to read BLE configuration file: " + error.Message(), kReaderSource, kBleFileLine,
                              "WriteBleConfigurationToReader");
    }
    // A bare key is written from a key file.
    const bool typeFits = record.DataType == type || (type == TavCommon::BleDataType::UnencryptedKey &&
                                                      record.DataType == TavCommon::BleDataType::Key);
    if (!typeFits) {
        throw ReaderException(fmt::format("Invalid BLE configuration file: Expected BLE {} type, got {} type.",
                                          BleTypeName(type), BleTypeName(record.DataType)),
                              kReaderSource, kBleTypeLine, "WriteBleConfigurationToReader");
    }
    std::vector<uint8_t> bytes = record.ToVector();
    if (bytes.size() != BleBlobSize(type)) {
        throw ReaderException(fmt::format("Invalid BLE configuration data size. Expected {} bytes, got {} bytes.",
                                          BleBlobSize(type), bytes.size()),
                              kReaderSource, kBleSizeLine, "WriteBleConfigurationToReader");
    }
    if (type == TavCommon::BleDataType::Data) {
        const bool rfHidBle = MetadataCopy().InstalledHardware[kRfHidBleInstalledByte] != 0;
        for (const BleBlobMismatch& change : FindBleBlobMismatches(bytes, rfHidBle)) {
            TavCommon::Logger::Warn(logger, TavCommon::kReaderCategory,
                                    "Byte at offset {} was 0x{:02X}, overridden to 0x{:02X} \u2014 this field is "
                                    "read-only and managed by the reader's firmware.",
                                    change.position, change.found, change.forced);
        }
    }
    ExecuteWithCapabilityCheck("WriteBleConfigurationToReader", Requires(READER_CAPABILITY_BLUETOOTH),
                               [&](const ProtocolFacade& facade) { return facade.SetBleBlob(type, bytes); });
}

}  // namespace Tav
