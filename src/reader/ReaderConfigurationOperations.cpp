// The reader's whole-configuration operations and its configuration files: the operations that
// take more than one facade call and convert between the host's records and the reader's blocks.
#include <fmt/format.h>

#include <cstring>
#include <filesystem>
#include <mutex>
#include <vector>

#include "Tavelin/ReaderException.h"
#include "common/FixedText.h"
#include "common/Logger.h"
#include "common/ReaderConfiguration.h"
#include "facade/ProtocolFacade.h"
#include "files/HwgFileParser.h"
#include "reader/Reader.h"
#include "reader/ReaderConfigurationConversion.h"
#include "reader/capability/ReaderCapabilityProfile.h"

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
constexpr unsigned char kStoreWithLuid = 1;

// Written into the files this library saves as their library version.
constexpr const char* kLibraryVersionText = "Unknown";

ReaderCapabilitySet Requires(ReaderCapability capability) {
    ReaderCapabilitySet set;
    set.WithRequiredCapability(capability);
    return set;
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
        !GetReaderCapabilityProfile()->HasCapability(READER_CAPABILITY_KEYSTROKING)) {
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
            if (GetReaderCapabilityProfile()->HasCapability(READER_CAPABILITY_EXTENDED_CONFIGURATION)) {
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
            if (GetReaderCapabilityProfile()->HasCapability(READER_CAPABILITY_EXTENDED_CONFIGURATION)) {
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

}  // namespace Tav
