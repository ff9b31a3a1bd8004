#include "Tavelin/AbstractReader.h"

#include <fmt/format.h>

#include <array>
#include <cctype>
#include <cstring>
#include <exception>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "Tavelin/Reader.h"
#include "Tavelin/ReaderCapabilityProfile.h"
#include "Tavelin/ReaderException.h"
#include "Tavelin/ReaderFactory.h"
#include "common/BluetoothFirmwareVersion.h"
#include "common/FelicaSamFirmwareVersion.h"
#include "common/FixedText.h"
#include "common/HandleCounter.h"
#include "common/HidSeSamFirmwareVersion.h"
#include "common/LibraryInfoBuilder.h"
#include "common/Logger.h"
#include "common/MicrocontrollerFirmwareVersion.h"
#include "common/NxpSamFirmwareVersion.h"
#include "common/ReaderConfigurationBlock2.h"
#include "common/SourceLocation.h"
#include "facade/ProtocolFacade.h"
#include "reader/GetCardDataCallbackHandler.h"
#include "records/ActiveConfigurationInformation.h"
#include "records/FirmwareVersionModuleType.h"
#include "records/GetStringIndex.h"
#include "records/InstalledHardwareInformation.h"
#include "records/TransparentModeStatusInformation.h"

namespace Tav {

namespace {

const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();

constexpr std::string_view kBeingDestroyed = "AbstractReader instance is being destroyed";
constexpr std::string_view kInvalidFacade = "AbstractReader instance has invalid protocol facade";

// Where the reader layer's fixed-site errors say they come from.
constexpr const char* kSourceFile = "AbstractReader";
constexpr int kFacadeCreationFailedLine = 82;
constexpr int kFacadeNotFoundLine = 88;
constexpr int kProfileNotInitialisedLine = 120;
constexpr int kNullFacadeLine = 432;
constexpr int kInconsistentBlock2Line = 676;

constexpr std::size_t kTextBufferSize = 8192;

// The process-wide registry of readers. It is never destroyed: readers still open when the
// library unloads are left alone rather than closed behind the host's back.
struct ReaderRegistry {
    std::mutex mutex;
    std::unordered_map<uint64_t, std::shared_ptr<AbstractReader>> readers;
};

ReaderRegistry& Registry() {
    static ReaderRegistry* const registry = new ReaderRegistry();
    return *registry;
}

[[maybe_unused]] ReaderRegistry& registryAtLoad = Registry();

uint64_t HandleKey(void* handle) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(handle)); }

bool HasVisibleCharacter(std::string_view text) {
    for (const char c : text) {
        if (std::isspace(static_cast<unsigned char>(c)) == 0) {
            return true;
        }
    }
    return false;
}

void StoreText(char (&field)[512], uint8_t& available, std::string_view text) {
    TavCommon::CopyToFixedField(field, text);
    available = HasVisibleCharacter(TavCommon::ReadFixedField(field)) ? 1 : 0;
}

std::string_view BufferText(const std::array<char, kTextBufferSize>& buffer) {
    return std::string_view(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

template <typename Record, std::size_t Size>
void StoreRecord(uint8_t (&field)[Size], const Record& record) {
    static_assert(sizeof(Record) == Size);
    std::memcpy(field, &record, Size);
}

// A six-byte version record counts as read when any of its first four bytes is set.
template <std::size_t Size>
uint8_t VersionAvailable(const uint8_t (&field)[Size]) {
    return (field[0] | field[1] | field[2] | field[3]) != 0 ? 1 : 0;
}

template <typename Record, std::size_t Size>
void StoreVersion(uint8_t (&field)[Size], uint8_t& available, const Record& version) {
    StoreRecord(field, version);
    available = VersionAvailable(field);
}

// Each text is read into a zeroed buffer of its own.
template <typename Read>
void ReadText(char (&field)[512], uint8_t& available, const Read& read) {
    std::array<char, kTextBufferSize> buffer{};
    read(buffer.data(), buffer.size());
    StoreText(field, available, BufferText(buffer));
}

uint8_t BluetoothVersionAvailable(const TavProtocol::BluetoothFirmwareVersion& version) {
    return (version.Major != 0 || version.Minor != 0 || version.Build != 0) ? 1 : 0;
}

void AppendHardwareLine(std::ostringstream& text, bool& firstLine, std::string_view name, bool supported,
                        bool installed) {
    if (!firstLine) {
        text << '\n';
    }
    firstLine = false;
    text << name << ": ";
    if (!supported) {
        text << "Not Supported";
    } else if (installed) {
        text << "Supported (Installed)";
    } else {
        text << "Supported (Not installed)";
    }
}

std::string HardwareText(const InstalledHardwareInformation& hardware) {
    std::ostringstream text;
    bool firstLine = true;
    for (std::size_t item = 0; item < InstalledHardwareInformation::kSupportedCount; ++item) {
        AppendHardwareLine(text, firstLine, InstalledHardwareInformation::kLabels[item], hardware.IsSupported(item),
                           hardware.IsInstalled(item));
    }
    return text.str();
}

struct Block2Flags {
    uint8_t reverseAllBytes;
    uint8_t asciiExtended;
    uint8_t extendedMode;
    uint8_t vastrelMode;
    bool operator==(const Block2Flags&) const = default;
};

// What one population learnt besides the record.
struct Population {
    bool capabilityFlagsKnown = false;
};

void ReadInstalledHardware(const TavProtocol::ProtocolFacade& facade, ReaderMetadataStruct& record) {
    try {
        TavCommon::Logger::Trace(logger, TavCommon::kReaderCategory, "Calling GetInstalledHardware on protocol facade.");
        InstalledHardwareInformation hardware{};
        const ProtocolCommandResult result = facade.GetInstalledHardware(hardware);
        TavCommon::Logger::Trace(logger, TavCommon::kReaderCategory, "GetInstalledHardware completed, HasException: {}",
                                 result.HasException);
        if (result.HasException) {
            TavCommon::Logger::Debug(logger, TavCommon::kReaderCategory, "GetInstalledHardware returned error: {}",
                                     TavCommon::ReadFixedField(result.Message));
            return;
        }
        record.InstalledHardwareAvailable = 1;
        for (std::size_t i = 0; i < InstalledHardwareInformation::kFlagCount; ++i) {
            record.InstalledHardware[i] = hardware.Flags[i] ? 1 : 0;
        }
        const std::string text = HardwareText(hardware);
        StoreText(record.HardwareListText, record.HardwareListTextAvailable, text);
        StoreText(record.HardwareSummaryText, record.HardwareSummaryTextAvailable, text);
    } catch (const std::exception& error) {
        TavCommon::Logger::Debug(logger, TavCommon::kReaderCategory, "Exception in GetInstalledHardware: {}",
                                 error.what());
    } catch (...) {
        TavCommon::Logger::Debug(logger, TavCommon::kReaderCategory, "Unknown exception in GetInstalledHardware");
    }
}

// Makes each configuration active in turn to read the capability flags of its block 2, which
// must agree; configuration 0 is active again afterwards.
void ScanConfigurations(const TavProtocol::ProtocolFacade& facade, ReaderMetadataStruct& record,
                        Population& population) {
    if (record.ConfigurationCountAvailable == 0 || record.ConfigurationCount <= 0) {
        return;
    }
    std::optional<Block2Flags> first;
    for (int32_t index = 0; index < record.ConfigurationCount; ++index) {
        const auto configuration = static_cast<unsigned char>(index);
        if (facade.SetActiveConfiguration(configuration).HasException) {
            continue;
        }
        TavProtocol::ReaderConfigurationBlock2 block;
        if (facade.GetConfigurationBlock2(block).HasException) {
            continue;
        }
        const Block2Flags flags{block.ReaderSupportsReverseAllBytes, block.ExtendedAscii, block.ExtendedOutputCapable,
                                block.Vastrel};
        if (!first) {
            first = flags;
        } else if (!(flags == *first)) {
            facade.SetActiveConfiguration(0);
            TavCommon::Logger::Warn(logger, TavCommon::kReaderCategory,
                                    "Block2 capability fields differ between configuration 0 and configuration {}; "
                                    "the reader's capability flags are unknown.",
                                    index);
            throw ReaderException("Block2 capability fields are inconsistent across reader configurations.",
                                  kSourceFile, kInconsistentBlock2Line, "PopulateMetadata");
        }
    }
    facade.SetActiveConfiguration(0);
    if (first) {
        record.SupportsReverseAllBytes = first->reverseAllBytes;
        record.SupportsAsciiExtended = first->asciiExtended;
        record.SupportsExtendedMode = first->extendedMode;
        record.VastrelMode = first->vastrelMode;
        population.capabilityFlagsKnown = true;
    }
}

// Every facade operation's failure only leaves its own fields unavailable. Each field is stored as
// soon as it is read, so an exception (a Close overtaking the read) ends the population with what
// was read until then; the record is the caller's own until it is published whole.
void ReadMetadata(const TavProtocol::ProtocolFacade& facade, ReaderMetadataStruct& record, Population& population) {
    record.ProtocolType = static_cast<uint8_t>(facade.GetTransportProtocolType());
    StoreText(record.ReservedText1, record.ReservedText1Available, "Unknown");
    StoreText(record.ReservedText2, record.ReservedText2Available, "Unknown");
    StoreText(record.MicrocontrollerName, record.MicrocontrollerNameAvailable, "STM32???");
    try {
        const auto module = [](int type) { return static_cast<TavProtocol::FirmwareVersionModuleType>(type); };
        const auto readerString = [&facade](int index) {
            return [&facade, index](char* buffer, std::size_t size) {
                facade.GetString(buffer, size, static_cast<TavProtocol::GetStringIndex>(index));
            };
        };
        ReadText(record.Esn, record.EsnAvailable, [&](char* buffer, std::size_t size) { facade.GetESN(buffer, size); });
        ReadText(record.ReaderString2, record.ReaderString2Available, readerString(2));
        ReadText(record.ModelText, record.ModelTextAvailable, readerString(7));
        ReadText(record.FirmwareVersionText, record.FirmwareVersionTextAvailable, readerString(4));
        TavCommon::DeviceId deviceId{};
        facade.GetDeviceId(deviceId);
        StoreText(record.DeviceIdText, record.DeviceIdTextAvailable,
                  fmt::format("{:04X}:{:04X} ({})", deviceId.VendorId, deviceId.ProductId,
                              TavCommon::ReadFixedField(deviceId.SerialNumber)));
        ReadText(record.PartNumber, record.PartNumberAvailable,
                 [&](char* buffer, std::size_t size) { facade.GetPartNumber(buffer, size); });
        std::vector<unsigned short> supportedCards;
        facade.GetSupportedCards(supportedCards);

        const auto microcontroller = [&](auto read, uint8_t(&field)[6], uint8_t& available, int type) {
            TavProtocol::MicrocontrollerFirmwareVersion version{};
            (facade.*read)(version, module(type));
            StoreVersion(field, available, version);
        };
        const auto control = &TavProtocol::ProtocolFacade::GetControlFirmwareVersion;
        microcontroller(control, record.ControlFirmwareVersion0, record.ControlFirmwareVersion0Available, 0);
        microcontroller(control, record.ControlFirmwareVersion1, record.ControlFirmwareVersion1Available, 1);
        microcontroller(control, record.ControlFirmwareVersion2, record.ControlFirmwareVersion2Available, 2);
        TavProtocol::BluetoothFirmwareVersion bluetooth{};
        facade.GetBluetoothFirmwareVersion(bluetooth, module(0));
        StoreRecord(record.BluetoothFirmwareVersion, bluetooth);
        record.BluetoothFirmwareVersionAvailable = BluetoothVersionAvailable(bluetooth);
        const auto radio = &TavProtocol::ProtocolFacade::GetRadioFirmwareVersion;
        microcontroller(radio, record.RadioFirmwareVersion0, record.RadioFirmwareVersion0Available, 0);
        microcontroller(radio, record.RadioFirmwareVersion1, record.RadioFirmwareVersion1Available, 1);
        microcontroller(radio, record.RadioFirmwareVersion2, record.RadioFirmwareVersion2Available, 2);
        TavProtocol::FelicaSamFirmwareVersion felica{};
        facade.GetFelicaSamFirmwareVersion(felica);
        StoreVersion(record.FelicaSamFirmwareVersion, record.FelicaSamFirmwareVersionAvailable, felica);
        TavProtocol::HidSeSamFirmwareVersion hidSe{};
        facade.GetHidSeSamFirmwareVersion(hidSe);
        StoreVersion(record.HidSeSamFirmwareVersion, record.HidSeSamFirmwareVersionAvailable, hidSe);
        TavProtocol::NxpSamFirmwareVersion nxp{};
        facade.GetNxpAvxSamFirmwareVersion(nxp);
        StoreVersion(record.NxpSamFirmwareVersion, record.NxpSamFirmwareVersionAvailable, nxp);

        TavProtocol::ActiveConfigurationInformation active{};
        facade.GetActiveConfiguration(active);
        record.ConfigurationCount = active.ConfigurationCount;
        record.ConfigurationCountAvailable = record.ConfigurationCount > 0 ? 1 : 0;

        TavProtocol::TransparentModeStatusInformation transparent{};
        facade.GetTransparentModeStatus(transparent);
        record.TransparentModeFlag = transparent.Supported == 1 ? 1 : 0;

        ReadInstalledHardware(facade, record);
        ScanConfigurations(facade, record, population);
    } catch (...) {
        TavCommon::Logger::Debug(logger, TavCommon::kReaderCategory,
                                 "Reader Metadata: Unable to populate an unavailable metadata property.");
    }
}

}  // namespace

AbstractReader::AbstractReader(std::shared_ptr<TavProtocol::ProtocolFacade> facade,
                               TavProtocol::ProtocolHandle facadeHandle)
    : callbackHandler_(std::make_unique<GetCardDataCallbackHandler>()),
      facadeHandle_(facadeHandle),
      facade_(std::move(facade)) {
    std::memset(&metadata_, 0, sizeof metadata_);
}

// The handler's threads poll through this object: they end before any member goes.
AbstractReader::~AbstractReader() { callbackHandler_->Shutdown(); }

void* AbstractReader::CreateReaderInstance(const TavCommon::ReaderDefinition& definition, int retryCount) {
    TavCommon::Logger::Debug(logger, TavCommon::kReaderCategory,
                             "Creating Ostiva instance with reader definition: ProtocolType={}, VendorId=0x{:04X}, "
                             "ProductId=0x{:04X}, UsbPath={}, SerialNumber={}",
                             definition.ProtocolType, definition.VendorId, definition.ProductId,
                             TavCommon::ReadFixedField(definition.UsbPath),
                             TavCommon::ReadFixedField(definition.SerialNumber));
    // The registry is not locked while the device opens: a slow open stalls no other reader.
    ProtocolCommandResult result;
    std::memset(&result, 0, sizeof result);
    const TavProtocol::ProtocolHandle facadeHandle =
        TavProtocol::ProtocolFacade::CreateInstance(definition, retryCount, &result);
    if (result.HasException) {
        throw ReaderException(std::string(TavCommon::ReadFixedField(result.Message)), kSourceFile,
                              kFacadeCreationFailedLine, "CreateReaderInstance");
    }
    try {
        std::shared_ptr<TavProtocol::ProtocolFacade> facade = TavProtocol::ProtocolFacade::GetInstance(facadeHandle);
        if (!facade) {
            throw ReaderException("Failed to get protocol facade instance", kSourceFile, kFacadeNotFoundLine,
                                  "CreateReaderInstance");
        }
        std::shared_ptr<AbstractReader> reader = ReaderFactory::BuildOstiva(std::move(facade), facadeHandle);
        const uint64_t handle = TavCommon::HandleCounter::Next();
        ReaderRegistry& registry = Registry();
        const std::lock_guard lock(registry.mutex);
        registry.readers.emplace(handle, std::move(reader));
        return reinterpret_cast<void*>(static_cast<uintptr_t>(handle));
    } catch (...) {
        // Nothing is registered: the device is closed again.
        TavProtocol::ProtocolFacade::DestroyInstance(facadeHandle);
        throw;
    }
}

std::shared_ptr<AbstractReader> AbstractReader::GetInstance(void* handle) {
    if (handle == nullptr) {
        return nullptr;
    }
    ReaderRegistry& registry = Registry();
    const std::lock_guard lock(registry.mutex);
    const auto found = registry.readers.find(HandleKey(handle));
    return found == registry.readers.end() ? nullptr : found->second;
}

void AbstractReader::DestroyInstance(void* handle) {
    if (handle == nullptr) {
        return;
    }
    std::shared_ptr<AbstractReader> reader;
    {
        ReaderRegistry& registry = Registry();
        const std::lock_guard lock(registry.mutex);
        const auto found = registry.readers.find(HandleKey(handle));
        if (found == registry.readers.end() || found->second->beingDestroyed_.load()) {
            return;
        }
        // Its threads cannot be stopped from one of them: the reader stays as it is.
        if (found->second->callbackHandler_->IsOwnThread()) {
            TAV_THROW(ReaderException, "Cannot close a reader from inside its own card callback");
        }
        reader = std::move(found->second);
        registry.readers.erase(found);
    }
    reader->beingDestroyed_.exchange(true);
    // Without the object mutex, so a poll that is waiting for it can finish.
    reader->callbackHandler_->Shutdown();
    TavProtocol::ProtocolHandle facadeHandle = 0;
    {
        const std::lock_guard lock(reader->mutex_);
        reader->profile_.reset();
        facadeHandle = std::exchange(reader->facadeHandle_, 0);
        reader->facade_.reset();
    }
    TavProtocol::ProtocolFacade::DestroyInstance(facadeHandle);
    // The reader itself goes with the last call still inside one of its operations.
}

void AbstractReader::CheckUsable(const std::unique_lock<std::mutex>& /*objectLock*/) const {
    if (beingDestroyed_.load()) {
        throw std::runtime_error(std::string(kBeingDestroyed));
    }
    if (!facade_) {
        throw std::runtime_error(std::string(kInvalidFacade));
    }
}

void AbstractReader::RepopulateMetadata(const char* logText) {
    const std::lock_guard population(populationMutex_);
    {
        const std::unique_lock lock(mutex_);
        CheckUsable(lock);
    }
    TavCommon::Logger::Debug(logger, TavCommon::kReaderCategory, logText);
    PopulateMetadata();
}

void AbstractReader::Init() { RepopulateMetadata("Initializing TAV Reader instance."); }

void AbstractReader::RefreshMetadata() { RepopulateMetadata("Refreshing reader metadata."); }

ReaderMetadataStruct AbstractReader::GetMetadataStruct(bool refresh) {
    {
        const std::unique_lock lock(mutex_);
        CheckUsable(lock);
        if (!refresh && metadataPopulated_) {
            return metadata_;
        }
    }
    const std::lock_guard population(populationMutex_);
    {
        const std::unique_lock lock(mutex_);
        CheckUsable(lock);
        // Another thread may have read it while this one waited.
        if (!refresh && metadataPopulated_) {
            return metadata_;
        }
    }
    TavCommon::Logger::Debug(logger, TavCommon::kReaderCategory, "Populating reader metadata (lazy load).");
    PopulateMetadata();
    const std::lock_guard lock(mutex_);
    return metadata_;
}

void AbstractReader::PopulateMetadata() {
    TavCommon::Logger::Debug(logger, TavCommon::kReaderCategory, "Populating ReaderMetadata from protocol facade.");
    std::shared_ptr<TavProtocol::ProtocolFacade> facade;
    {
        const std::lock_guard lock(mutex_);
        facade = facade_;
    }
    if (!facade) {
        throw ReaderException("Reader Metadata was given a null protocol facade pointer.", kSourceFile,
                              kNullFacadeLine, "PopulateMetadata");
    }
    // Read into a local record, so nobody ever sees a half-read one.
    ReaderMetadataStruct record;
    std::memset(&record, 0, sizeof record);
    Population population;
    ReadMetadata(*facade, record, population);

    const std::lock_guard lock(mutex_);
    metadata_ = record;
    capabilityFlagsKnown_ = population.capabilityFlagsKnown;
    metadataPopulated_ = true;
}

void AbstractReader::Close() {
    // Outside the object mutex, so a poll waiting for it can finish; the subscribers stay.
    callbackHandler_->Stop();
    TavProtocol::ProtocolHandle facadeHandle = 0;
    {
        const std::lock_guard lock(mutex_);
        profile_.reset();
        facadeHandle = std::exchange(facadeHandle_, 0);
        facade_.reset();
    }
    // A subscription that started polling before the profile went is stopped too; none can now.
    callbackHandler_->Stop();
    TavProtocol::ProtocolFacade::DestroyInstance(facadeHandle);
}

std::shared_ptr<ReaderCapabilityProfile> AbstractReader::GetReaderCapabilityProfile() const {
    TavCommon::Logger::Trace(logger, TavCommon::kReaderCategory, "Returning reader capability profile.");
    const std::lock_guard lock(mutex_);
    if (!profile_) {
        throw ReaderException("Reader capability profile not initialized. Call Init() first.", kSourceFile,
                              kProfileNotInitialisedLine, "GetCapabilityProfile");
    }
    return profile_;
}

bool AbstractReader::CapabilityFlagsKnown() const {
    const std::lock_guard lock(mutex_);
    return capabilityFlagsKnown_;
}

TavResult AbstractReader::GetLibraryInfo(LibraryInfo& info) {
    TavCommon::Logger::Trace(logger, TavCommon::kReaderCategory, "Reader: GetLibraryInfo");
    LibraryInfo built;
    BuildReaderLibraryInfo(built);
    info = built;
    TavResult result;
    std::memset(&result, 0, sizeof result);
    return result;
}

TavResult AbstractReader::GetLibraryInfoAsString(char* buffer, std::size_t size) {
    TavCommon::Logger::Trace(logger, TavCommon::kReaderCategory, "Reader: GetLibraryInfoAsString");
    LibraryInfo info;
    BuildReaderLibraryInfo(info);
    const std::string text = TavCommon::FormatLibraryInfo(info);
    TavResult result;
    std::memset(&result, 0, sizeof result);
    const auto refused = [&result](const char* type, const char* message) {
        result.Code = 1;
        TavCommon::CopyToFixedField(result.ExceptionType, type);
        TavCommon::CopyToFixedField(result.Message, message);
        return result;
    };
    // Worded as the protocol library words it; a null buffer of size 0 is only too small.
    if (buffer == nullptr && size != 0) {
        return refused("InvalidArgument", "buffer pointer cannot be null");
    }
    if (text.size() >= size) {
        return refused("BufferSizeException", "Buffer size too small for library info string");
    }
    // The rest of the buffer is zeroed, so the text ends where it ends whatever the buffer held.
    std::memcpy(buffer, text.data(), text.size());
    std::memset(buffer + text.size(), 0, size - text.size());
    return result;
}

}  // namespace Tav
