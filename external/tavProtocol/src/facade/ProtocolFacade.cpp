#include "facade/ProtocolFacade.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>

#include "Tavelin/ElvarinException.h"
#include "common/FixedText.h"
#include "common/LibraryInfoBuilder.h"
#include "common/Logger.h"
#include "common/ReaderConfiguration.h"
#include "common/ReaderDefinitionText.h"
#include "common/TimeDelay.h"
#include "common/TimeDelayFactory.h"
#include "core/CommandVisitor.h"
#include "core/ProtocolException.h"
#include "facade/ProtocolLibraryInfo.h"
#include "facade/SupportedUsbDevice.h"
#include "mfp24/Mfp24Protocol.h"
#include "transport/Transport.h"
#include "transport/UsbDeviceEnumeration.h"
#include "visitors/BeepVisitor.h"
#include "visitors/ConfigurationBlockChecks.h"
#include "visitors/ConfigureModuleStateVisitor.h"
#include "visitors/CopyConfigurationVisitor.h"
#include "visitors/EnableBootloaderModeVisitor.h"
#include "visitors/EnableTransparentModeVisitor.h"
#include "visitors/GetActiveConfigurationVisitor.h"
#include "visitors/GetBaudRateVisitor.h"
#include "visitors/GetBeeperVolumeVisitor.h"
#include "visitors/GetBleBlobVisitor.h"
#include "visitors/GetBleConfigurationVisitor.h"
#include "visitors/GetBlobVisitor.h"
#include "visitors/GetBluetoothFirmwareVersionVisitor.h"
#include "visitors/GetCardAnalyzerDataVisitor.h"
#include "visitors/GetCardAnalyzerStatusVisitor.h"
#include "visitors/GetCardBitCountVisitor.h"
#include "visitors/GetCardDataVisitor.h"
#include "visitors/GetCardReadPayloadVisitor.h"
#include "visitors/GetConfigurationBlock1Visitor.h"
#include "visitors/GetConfigurationBlock2Visitor.h"
#include "visitors/GetConfigurationBlock3Visitor.h"
#include "visitors/GetConfigurationBlock4Visitor.h"
#include "visitors/GetConfigurationBlock5Visitor.h"
#include "visitors/GetControlFirmwareVersionVisitor.h"
#include "visitors/GetESNVisitor.h"
#include "visitors/GetExtendedConfigurationVisitor.h"
#include "visitors/GetInstalledHardwareVisitor.h"
#include "visitors/GetLuidVisitor.h"
#include "visitors/GetMifareWriterStatusVisitor.h"
#include "visitors/GetPartNumberVisitor.h"
#include "visitors/GetQueuedIdVisitor.h"
#include "visitors/GetRadioFirmwareVersionVisitor.h"
#include "visitors/GetSamFirmwareVersionVisitor.h"
#include "visitors/GetStringVisitor.h"
#include "visitors/GetSupportedCardsVisitor.h"
#include "visitors/GetSystemUptimeVisitor.h"
#include "visitors/GetTransparentModeStatusVisitor.h"
#include "visitors/LoadStoredDefaultsVisitor.h"
#include "visitors/MifareWriterChangeKeyVisitor.h"
#include "visitors/MifareWriterCreateAidVisitor.h"
#include "visitors/MifareWriterCreateFileVisitor.h"
#include "visitors/MifareWriterFormatCardVisitor.h"
#include "visitors/SetActiveConfigurationVisitor.h"
#include "visitors/SetBaudRateVisitor.h"
#include "visitors/SetBeeperVolumeVisitor.h"
#include "visitors/SetBleBlobVisitor.h"
#include "visitors/SetBleConfigurationVisitor.h"
#include "visitors/SetBlobVisitor.h"
#include "visitors/SetCardAnalyzerControlVisitor.h"
#include "visitors/SetConfigurationBlock1Visitor.h"
#include "visitors/SetConfigurationBlock2Visitor.h"
#include "visitors/SetConfigurationBlock3Visitor.h"
#include "visitors/SetConfigurationBlock4Visitor.h"
#include "visitors/SetConfigurationBlock5Visitor.h"
#include "visitors/SetExtendedConfigurationVisitor.h"
#include "visitors/SetLuidVisitor.h"
#include "visitors/UpgradeFirmwareVisitor.h"
#include "visitors/WriteConfigurationVisitor.h"

namespace TavProtocol {

namespace {

const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();

// Writes the parts one after the other into a fixed field, cut to the field; never allocates,
// so it is safe inside a handler of std::bad_alloc.
template <std::size_t Size>
void CopyJoinedToFixedField(char (&field)[Size], std::initializer_list<std::string_view> parts) noexcept {
    std::size_t used = 0;
    for (const std::string_view part : parts) {
        const std::size_t count = TavCommon::Utf8PrefixLength(part, Size - 1 - used);
        std::memcpy(field + used, part.data(), count);
        used += count;
        if (count < part.size()) {
            break;
        }
    }
    std::memset(field + used, 0, Size - used);
}

constexpr std::string_view kForeignExceptionPrefix =
    "Unknown exception occurred within C++ code. This is not an Elvarin exception. Message: '";

void FillFromLibraryException(ProtocolCommandResult& result, const ElvarinException& error) noexcept {
    result.HasException = true;
    TavCommon::CopyToFixedField(result.ExceptionType, error.TypeName());
    TavCommon::CopyToFixedField(result.Message, error.Message());
    TavCommon::CopyToFixedField(result.File, error.File());
    result.Line = error.Line();
    TavCommon::CopyToFixedField(result.Function, error.Function());
}

// The other exceptions' record: their text after a prefix that says so, and no place.
void FillFromForeignException(ProtocolCommandResult& result, std::string_view type, const char* what) noexcept {
    result.HasException = true;
    TavCommon::CopyToFixedField(result.ExceptionType, type);
    if (what != nullptr) {
        CopyJoinedToFixedField(result.Message, {kForeignExceptionPrefix, what, "'"});
    } else {
        CopyJoinedToFixedField(
            result.Message,
            {"Unknown exception occurred within C++ code. Exception does not derive from std::exception"});
    }
    TavCommon::CopyToFixedField(result.File, "Unknown");
    result.Line = -1;
    TavCommon::CopyToFixedField(result.Function, "Unknown");
}

// CreateInstance's record of the same: it keeps the caller's File, Line and Function.
void FillCreationFailure(ProtocolCommandResult& result, std::string_view type, const char* what) noexcept {
    result.HasException = true;
    CopyJoinedToFixedField(result.Message,
                           {"Failed to create protocol instance: ",
                            what != nullptr ? what : "Unknown exception (not derived from std::exception)"});
    TavCommon::CopyToFixedField(result.ExceptionType, type);
}

// Fills a record from an exception not of the library's family: its record type and its text,
// null when it does not derive from std::exception.
using ForeignExceptionFiller = void (*)(ProtocolCommandResult& result, std::string_view type,
                                        const char* what) noexcept;

// The one ladder from the exception being handled to a record. The library's exceptions derive
// from std::runtime_error, so they are tried first, and fill every field from themselves; any
// other is handed to fillForeign.
void FillFromCurrentException(ProtocolCommandResult& result, ForeignExceptionFiller fillForeign) noexcept {
    try {
        throw;
    } catch (const ElvarinException& error) {
        FillFromLibraryException(result, error);
    } catch (const std::runtime_error& error) {
        fillForeign(result, "StdRuntimeError", error.what());
    } catch (const std::exception& error) {
        fillForeign(result, "StdException", error.what());
    } catch (...) {
        fillForeign(result, "UnknownException", nullptr);
    }
}

// The record of a too small card buffer names this line whatever the layout of this file.
constexpr int kCardBufferTooSmallLine = 1141;
// Likewise the records of a too small text buffer, one line per operation.
constexpr int kEsnBufferTooSmallLine = 958;
constexpr int kPartNumberBufferTooSmallLine = 978;
constexpr int kStringBufferTooSmallLine = 1053;
// The records of a null buffer, likewise.
constexpr int kCardBufferNullLine = 437;
constexpr int kEsnBufferNullLine = 490;
constexpr int kPartNumberBufferNullLine = 502;
constexpr int kStringBufferNullLine = 514;
constexpr int kLibraryInfoBufferNullLine = 893;

// Copies the text and its NUL, or nothing when the buffer cannot hold both.
void CopyTextToBuffer(const std::string& text, char* buffer, unsigned long bufferSize, int line) {
    if (bufferSize < text.size() + 1) {
        throw ProtocolException("Input buffer is too small to hold the result.", TAV_SOURCE_FILE, line, "operator()");
    }
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
}

// Every read of card bytes yields this many.
constexpr std::size_t kCardDataSize = 32;

// Every protocol type a reader definition may name, the dummy included.
constexpr unsigned char kSupportedProtocols[] = {1, 2, 3, 254};

}  // namespace

ProtocolCommandResult ZeroResult() noexcept {
    ProtocolCommandResult result;
    std::memset(&result, 0, sizeof result);
    return result;
}

ProtocolCommandResult RecordCurrentException() noexcept {
    ProtocolCommandResult result = ZeroResult();
    FillFromCurrentException(result, FillFromForeignException);
    return result;
}

void RecordCreationFailure(ProtocolCommandResult& result) noexcept {
    FillFromCurrentException(result, FillCreationFailure);
}

namespace {

// RunCheckedFacadeFunction without its closing line.
ProtocolCommandResult RecordFailures(const std::function<void()>& work) {
    try {
        work();
    } catch (...) {
        return RecordCurrentException();
    }
    return ZeroResult();
}

}  // namespace

ProtocolCommandResult RunCheckedFacadeFunction(const std::function<void()>& work) {
    const ProtocolCommandResult result = RecordFailures(work);
    TavCommon::Logger::Trace(logger, TavCommon::kProtocolCategory,
                             "Returning result from RunCheckedFacadeFunction, HasException: {}, Message: {}",
                             result.HasException, TavCommon::ReadFixedField(result.Message));
    return result;
}

ProtocolCommandResult MakeInvalidArgumentResult(std::string_view message, std::string_view file, int32_t line,
                                                std::string_view function) {
    ProtocolCommandResult result = ZeroResult();
    result.HasException = true;
    TavCommon::CopyToFixedField(result.Message, message);
    TavCommon::CopyToFixedField(result.ExceptionType, "InvalidArgument");
    TavCommon::CopyToFixedField(result.File, file);
    result.Line = line;
    TavCommon::CopyToFixedField(result.Function, function);
    return result;
}

ProtocolFacade::ProtocolFacade(ConstructionKey) {}

ProtocolFacade::~ProtocolFacade() {
    protocol_.reset();
    transport_.reset();
}

template <typename Work>
ProtocolCommandResult ProtocolFacade::RunInFrame(std::string_view name, Work& work,
                                                 ProtocolCommandResult (*run)(const std::function<void()>&)) const {
    // Holds the facade while this thread waits for the lock, in case it is destroyed meanwhile.
    const std::shared_ptr<const ProtocolFacade> self = shared_from_this();
    const std::lock_guard lock(mutex_);
    if (beingDestroyed_.load()) {
        throw std::runtime_error("ProtocolFacade instance is being destroyed");
    }
    if (!protocol_ || !transport_) {
        throw std::runtime_error("ProtocolFacade instance has invalid protocol or transport");
    }
    TavCommon::Logger::Trace(logger, TavCommon::kProtocolCategory, "Facade: {}", name);
    // A reference wrapper fits std::function's own storage: building it cannot fail.
    return run(std::function<void()>(std::ref(work)));
}

template <typename Work>
ProtocolCommandResult ProtocolFacade::RunOperation(std::string_view name, Work& work) const {
    return RunInFrame(name, work, RunCheckedFacadeFunction);
}

template <typename Work>
ProtocolCommandResult ProtocolFacade::RunOperationWithoutClosingLine(std::string_view name, Work& work) const {
    return RunInFrame(name, work, RecordFailures);
}

template <typename Visitor, typename... Arguments>
ProtocolCommandResult ProtocolFacade::RunVisitor(std::string_view name, const Arguments&... arguments) const {
    // Built inside the frame, so that what its constructor throws is recorded too.
    auto work = [&] {
        Visitor visitor(arguments...);
        Accept(visitor);
    };
    return RunOperation(name, work);
}

template <typename Visitor, typename Result, typename... Arguments>
ProtocolCommandResult ProtocolFacade::RunVisitorForResult(std::string_view name, Result& result,
                                                          const Arguments&... arguments) const {
    auto work = [&] {
        Visitor visitor(arguments...);
        Accept(visitor);
        result = visitor.GetResult();
    };
    return RunOperation(name, work);
}

template <typename Version>
ProtocolCommandResult ProtocolFacade::ReadSamFirmwareVersion(std::string_view name, uint8_t selector, Version& version,
                                                             Version (GetSamFirmwareVersionVisitor::*read)() const) const {
    auto work = [&] {
        GetSamFirmwareVersionVisitor visitor(selector);
        Accept(visitor);
        version = (visitor.*read)();
    };
    return RunOperation(name, work);
}

void ProtocolFacade::Accept(CommandVisitor& visitor) const { protocol_->Accept(visitor, *transport_); }

ProtocolCommandResult ProtocolFacade::DiscoverUsbReaders(std::vector<TavCommon::ReaderDefinition>& readers,
                                                         const std::filesystem::path& sysfsRoot) {
    TavCommon::Logger::Trace(logger, TavCommon::kProtocolCategory, "Facade: DiscoverUsbReaders");
    return RunCheckedFacadeFunction([&] {
        // Listed before the caller's vector is touched, so a failed listing leaves it as it was.
        const std::vector<TavTransport::UsbDeviceRecord> devices =
            TavTransport::enumerateUsbDevicesFromSysfs(sysfsRoot);
        readers.clear();
        for (const TavTransport::UsbDeviceRecord& device : devices) {
            if (IsSupportedUsbDevice(device.VendorId, device.ProductId)) {
                readers.push_back(TavCommon::MakeUsbReaderDefinition(device.VendorId, device.ProductId, device.UsbPath,
                                                                     device.SerialNumber));
            }
        }
    });
}

ProtocolCommandResult ProtocolFacade::GetSupportedCards(std::vector<unsigned short>& cardTypes) const {
    auto work = [&] {
        GetSupportedCardsVisitor visitor;
        Accept(visitor);
        const std::vector<uint16_t> result = visitor.GetResult();
        cardTypes.clear();
        cardTypes.insert(cardTypes.end(), result.begin(), result.end());
    };
    return RunOperation("GetSupportedCards", work);
}

ProtocolCommandResult ProtocolFacade::GetCardData(GetCardDataSizeParameters size, unsigned char* buffer,
                                                  unsigned long bufferSize) const {
    if (buffer == nullptr && bufferSize != 0) {
        return MakeInvalidArgumentResult("buffer pointer cannot be null", TAV_SOURCE_FILE, kCardBufferNullLine,
                                         "GetCardData");
    }
    auto work = [&] {
        // Every read yields 32 bytes, so the size is known before the read; checking it afterwards
        // would spend the card on a caller who cannot take it.
        const auto requireRoomFor = [&](std::size_t count) {
            if (bufferSize < count) {
                throw ProtocolException(
                    "Input buffer is too small to hold the result. This command requires at least 32 bytes.",
                    TAV_SOURCE_FILE, kCardBufferTooSmallLine, "operator()");
            }
        };
        requireRoomFor(kCardDataSize);
        GetCardDataVisitor visitor(size);
        Accept(visitor);
        const std::vector<uint8_t> cardData = visitor.GetResult();
        requireRoomFor(cardData.size());
        std::copy(cardData.begin(), cardData.end(), buffer);
    };
    return RunOperation("GetCardData", work);
}

ProtocolCommandResult ProtocolFacade::GetCardBitCount(unsigned char& bitCount) const {
    return RunVisitorForResult<GetCardBitCountVisitor>("GetCardBitCount", bitCount, GetCardDataSizeParameters::Short);
}

ProtocolCommandResult ProtocolFacade::GetCardReadPayload(GetCardDataSizeParameters size,
                                                         CardReadPayload& payload) const {
    return RunVisitorForResult<GetCardReadPayloadVisitor>("GetCardReadPayload", payload, size);
}

ProtocolCommandResult ProtocolFacade::GetQueuedId(const QueuedIdFlagParameters& flags,
                                                  QueuedIdInformation& queuedId) const {
    return RunVisitorForResult<GetQueuedIdVisitor>("GetQueuedId", queuedId, flags);
}

ProtocolCommandResult ProtocolFacade::GetCardAnalyzerStatus(CardAnalyzerStatus& status) const {
    return RunVisitorForResult<GetCardAnalyzerStatusVisitor>("GetCardAnalyzerStatus", status);
}

ProtocolCommandResult ProtocolFacade::SetCardAnalyzerControl(CardAnalyzerControlParameter control) const {
    return RunVisitor<SetCardAnalyzerControlVisitor>("SetCardAnalyzerControl", control);
}

ProtocolCommandResult ProtocolFacade::GetCardAnalyzerData(std::vector<CardAnalyzerData>& records,
                                                          unsigned char cardCount) const {
    return RunVisitorForResult<GetCardAnalyzerDataVisitor>("GetCardAnalyzerData", records, cardCount);
}

// Identity and versions.

ProtocolCommandResult ProtocolFacade::GetESN(char* buffer, unsigned long bufferSize) const {
    if (buffer == nullptr && bufferSize != 0) {
        return MakeInvalidArgumentResult("buffer pointer cannot be null", TAV_SOURCE_FILE, kEsnBufferNullLine,
                                         "GetESN");
    }
    auto work = [&] {
        GetESNVisitor visitor;
        Accept(visitor);
        CopyTextToBuffer(visitor.GetResult(), buffer, bufferSize, kEsnBufferTooSmallLine);
    };
    return RunOperation("GetESN", work);
}

ProtocolCommandResult ProtocolFacade::GetPartNumber(char* buffer, unsigned long bufferSize) const {
    if (buffer == nullptr && bufferSize != 0) {
        return MakeInvalidArgumentResult("buffer pointer cannot be null", TAV_SOURCE_FILE, kPartNumberBufferNullLine,
                                         "GetPartNumber");
    }
    auto work = [&] {
        GetPartNumberVisitor visitor;
        Accept(visitor);
        CopyTextToBuffer(visitor.GetResult(), buffer, bufferSize, kPartNumberBufferTooSmallLine);
    };
    return RunOperation("GetPartNumber", work);
}

ProtocolCommandResult ProtocolFacade::GetString(char* buffer, unsigned long bufferSize, GetStringIndex index) const {
    if (buffer == nullptr && bufferSize != 0) {
        return MakeInvalidArgumentResult("buffer pointer cannot be null", TAV_SOURCE_FILE, kStringBufferNullLine,
                                         "GetString");
    }
    auto work = [&] {
        GetStringVisitor visitor(index);
        Accept(visitor);
        CopyTextToBuffer(visitor.GetResult(), buffer, bufferSize, kStringBufferTooSmallLine);
    };
    return RunOperation("GetString", work);
}

ProtocolCommandResult ProtocolFacade::GetControlFirmwareVersion(MicrocontrollerFirmwareVersion& version,
                                                                FirmwareVersionModuleType moduleType) const {
    return RunVisitorForResult<GetControlFirmwareVersionVisitor>("GetControlFirmwareVersion", version, moduleType);
}

ProtocolCommandResult ProtocolFacade::GetRadioFirmwareVersion(MicrocontrollerFirmwareVersion& version,
                                                              FirmwareVersionModuleType moduleType) const {
    return RunVisitorForResult<GetRadioFirmwareVersionVisitor>("GetRadioFirmwareVersion", version, moduleType);
}

ProtocolCommandResult ProtocolFacade::GetBluetoothFirmwareVersion(BluetoothFirmwareVersion& version,
                                                                  FirmwareVersionModuleType moduleType) const {
    return RunVisitorForResult<GetBluetoothFirmwareVersionVisitor>("GetBluetoothFirmwareVersion", version, moduleType);
}

// The SAM selectors: 0 HID SE, 1 NXP AVx, 3 FeliCa.
ProtocolCommandResult ProtocolFacade::GetNxpAvxSamFirmwareVersion(NxpSamFirmwareVersion& version) const {
    return ReadSamFirmwareVersion("GetNxpAvxSamFirmwareVersion", 1, version,
                                  &GetSamFirmwareVersionVisitor::GetNxpSamFirmwareVersion);
}

// Its trace line keeps the spelling that log readers search for.
ProtocolCommandResult ProtocolFacade::GetHidSeSamFirmwareVersion(HidSeSamFirmwareVersion& version) const {
    return ReadSamFirmwareVersion("GetHideSeSamFirmwareVersion", 0, version,
                                  &GetSamFirmwareVersionVisitor::GetHidSeSamFirmwareVersion);
}

ProtocolCommandResult ProtocolFacade::GetFelicaSamFirmwareVersion(FelicaSamFirmwareVersion& version) const {
    return ReadSamFirmwareVersion("GetFelicaSamFirmwareVersion", 3, version,
                                  &GetSamFirmwareVersionVisitor::GetFelicaSamFirmwareVersion);
}

ProtocolCommandResult ProtocolFacade::GetInstalledHardware(InstalledHardwareInformation& hardware) const {
    return RunVisitorForResult<GetInstalledHardwareVisitor>("GetInstalledHardware", hardware);
}

ProtocolCommandResult ProtocolFacade::GetSystemUptime(unsigned int& uptime) const {
    return RunVisitorForResult<GetSystemUptimeVisitor>("GetSystemUptime", uptime);
}

ProtocolCommandResult ProtocolFacade::GetLuid(LuidResponseInformation& luid) const {
    return RunVisitorForResult<GetLuidVisitor>("GetLuid", luid);
}

ProtocolCommandResult ProtocolFacade::SetLuid(unsigned short luid) const {
    return RunVisitor<SetLuidVisitor>("SetLuid", luid);
}

ProtocolCommandResult ProtocolFacade::GetTransparentModeStatus(TransparentModeStatusInformation& status) const {
    return RunVisitorForResult<GetTransparentModeStatusVisitor>("GetTransparentModeStatus", status);
}

// Configuration blocks, whole configurations and their management.

template <typename... Blocks>
void ProtocolFacade::CheckConfigurationWrite(unsigned char configuration, const Blocks&... blocks) const {
    if (dynamic_cast<const Mfp24Protocol*>(protocol_.get()) != nullptr) {
        return;
    }
    SetActiveConfigurationVisitor::CheckConfigurationNumber(configuration);
    (CheckConfigurationBlockRanges(blocks), ...);
}

template <typename Visitor, typename Block>
ProtocolCommandResult ProtocolFacade::SelectAndWriteBlock(std::string_view name, unsigned char configuration,
                                                          const Block& block) const {
    auto work = [&] {
        CheckConfigurationWrite(configuration, block);
        SetActiveConfigurationVisitor select(configuration);
        Accept(select);
        Visitor visitor(block);
        Accept(visitor);
    };
    return RunOperation(name, work);
}

ProtocolCommandResult ProtocolFacade::SetActiveConfiguration(unsigned char configuration) const {
    return RunVisitor<SetActiveConfigurationVisitor>("SetActiveConfiguration", configuration);
}

ProtocolCommandResult ProtocolFacade::GetActiveConfiguration(ActiveConfigurationInformation& information) const {
    auto work = [&] {
        GetActiveConfigurationVisitor visitor;
        Accept(visitor);
        information = visitor.GetResult();
    };
    return RunOperationWithoutClosingLine("GetActiveConfiguration", work);
}

ProtocolCommandResult ProtocolFacade::GetConfigurationBlock1(ReaderConfigurationBlock1& block) const {
    return RunVisitorForResult<GetConfigurationBlock1Visitor>("GetConfigurationBlock1", block);
}

ProtocolCommandResult ProtocolFacade::GetConfigurationBlock2(ReaderConfigurationBlock2& block) const {
    return RunVisitorForResult<GetConfigurationBlock2Visitor>("GetConfigurationBlock2", block);
}

ProtocolCommandResult ProtocolFacade::GetConfigurationBlock3(ReaderConfigurationBlock3& block) const {
    return RunVisitorForResult<GetConfigurationBlock3Visitor>("GetConfigurationBlock3", block);
}

ProtocolCommandResult ProtocolFacade::GetConfigurationBlock4(ReaderConfigurationBlock4& block) const {
    return RunVisitorForResult<GetConfigurationBlock4Visitor>("GetConfigurationBlock4", block);
}

ProtocolCommandResult ProtocolFacade::GetConfigurationBlock5(ReaderConfigurationBlock5& block) const {
    return RunVisitorForResult<GetConfigurationBlock5Visitor>("GetConfigurationBlock5", block);
}

ProtocolCommandResult ProtocolFacade::SetConfigurationBlock1(unsigned char configuration,
                                                             const ReaderConfigurationBlock1& block) const {
    return SelectAndWriteBlock<SetConfigurationBlock1Visitor>("SetConfigurationBlock1", configuration, block);
}

ProtocolCommandResult ProtocolFacade::SetConfigurationBlock2(unsigned char configuration,
                                                             const ReaderConfigurationBlock2& block) const {
    return SelectAndWriteBlock<SetConfigurationBlock2Visitor>("SetConfigurationBlock2", configuration, block);
}

ProtocolCommandResult ProtocolFacade::SetConfigurationBlock3(unsigned char configuration,
                                                             const ReaderConfigurationBlock3& block) const {
    return SelectAndWriteBlock<SetConfigurationBlock3Visitor>("SetConfigurationBlock3", configuration, block);
}

ProtocolCommandResult ProtocolFacade::SetConfigurationBlock4(unsigned char configuration,
                                                             const ReaderConfigurationBlock4& block) const {
    return SelectAndWriteBlock<SetConfigurationBlock4Visitor>("SetConfigurationBlock4", configuration, block);
}

ProtocolCommandResult ProtocolFacade::SetConfigurationBlock5(unsigned char configuration,
                                                             const ReaderConfigurationBlock5& block) const {
    return SelectAndWriteBlock<SetConfigurationBlock5Visitor>("SetConfigurationBlock5", configuration, block);
}

// One frame for the selection and the five reads, so no other thread's phrase falls between them.
ProtocolCommandResult ProtocolFacade::GetConfiguration(unsigned char configuration,
                                                       ReaderConfiguration& readerConfiguration) const {
    auto work = [&] {
        SetActiveConfigurationVisitor select(configuration);
        Accept(select);
        ReaderConfiguration read;
        GetConfigurationBlock1Visitor block1;
        Accept(block1);
        read.Block1 = block1.GetResult();
        GetConfigurationBlock2Visitor block2;
        Accept(block2);
        read.Block2 = block2.GetResult();
        GetConfigurationBlock3Visitor block3;
        Accept(block3);
        read.Block3 = block3.GetResult();
        GetConfigurationBlock4Visitor block4;
        Accept(block4);
        read.Block4 = block4.GetResult();
        GetConfigurationBlock5Visitor block5;
        Accept(block5);
        read.Block5 = block5.GetResult();
        readerConfiguration = read;
    };
    return RunOperation("GetConfiguration", work);
}

ProtocolCommandResult ProtocolFacade::SetConfiguration(unsigned char configuration,
                                                       const ReaderConfiguration& readerConfiguration) const {
    auto work = [&] {
        CheckConfigurationWrite(configuration, readerConfiguration.Block1, readerConfiguration.Block2,
                                readerConfiguration.Block3, readerConfiguration.Block4, readerConfiguration.Block5);
        SetActiveConfigurationVisitor select(configuration);
        Accept(select);
        SetConfigurationBlock1Visitor block1(readerConfiguration.Block1);
        Accept(block1);
        SetConfigurationBlock2Visitor block2(readerConfiguration.Block2);
        Accept(block2);
        SetConfigurationBlock3Visitor block3(readerConfiguration.Block3);
        Accept(block3);
        SetConfigurationBlock4Visitor block4(readerConfiguration.Block4);
        Accept(block4);
        SetConfigurationBlock5Visitor block5(readerConfiguration.Block5);
        Accept(block5);
    };
    return RunOperation("SetConfiguration", work);
}

ProtocolCommandResult ProtocolFacade::WriteConfiguration(unsigned char writeLuidToFlash) const {
    return RunVisitor<WriteConfigurationVisitor>("WriteConfiguration", writeLuidToFlash);
}

ProtocolCommandResult ProtocolFacade::LoadStoredDefaults() const {
    auto work = [&] {
        LoadStoredDefaultsVisitor visitor(TavCommon::MakeTimeDelay());
        Accept(visitor);
    };
    return RunOperation("LoadStoredDefaults", work);
}

ProtocolCommandResult ProtocolFacade::CopyConfiguration(ConfigurationLocation source, ConfigurationLocation destination,
                                                        unsigned char third, unsigned char fourth) const {
    auto work = [&] {
        CopyConfigurationVisitor visitor(source, destination, third, fourth, TavCommon::MakeTimeDelay());
        Accept(visitor);
    };
    return RunOperation("CopyConfiguration", work);
}

ProtocolCommandResult ProtocolFacade::GetExtendedConfiguration(TavCommon::ExtendedConfiguration& configuration) const {
    return RunVisitorForResult<GetExtendedConfigurationVisitor>("GetExtendedConfiguration", configuration);
}

ProtocolCommandResult ProtocolFacade::SetExtendedConfiguration(const TavCommon::ExtendedConfiguration& configuration,
                                                               const TavCommon::HashData& hashData) const {
    return RunVisitor<SetExtendedConfigurationVisitor>("SetExtendedConfiguration", configuration, hashData);
}

// Beeper, baud rate and modules.

ProtocolCommandResult ProtocolFacade::Beep(unsigned char count, BEEP_DURATION duration) const {
    return RunVisitor<BeepVisitor>("Beep", count, duration);
}

ProtocolCommandResult ProtocolFacade::GetBeeperVolume(BeepVolume& volume) const {
    return RunVisitorForResult<GetBeeperVolumeVisitor>("GetBeeperVolume", volume);
}

ProtocolCommandResult ProtocolFacade::SetBeeperVolume(BeepVolume volume) const {
    return RunVisitor<SetBeeperVolumeVisitor>("SetBeeperVolume", volume);
}

ProtocolCommandResult ProtocolFacade::GetBaudRate(SerialReaderBaudRate& baudRate) const {
    return RunVisitorForResult<GetBaudRateVisitor>("GetBaudRate", baudRate);
}

ProtocolCommandResult ProtocolFacade::SetBaudRate(SerialReaderBaudRate baudRate) const {
    return RunVisitor<SetBaudRateVisitor>("SetBaudRate", baudRate);
}

ProtocolCommandResult ProtocolFacade::ConfigureModuleState(ReaderModuleAction action, ReaderModuleId module,
                                                           ReaderModuleState& state) const {
    auto work = [&] {
        ConfigureModuleStateVisitor visitor(action, module, state);
        Accept(visitor);
        state = visitor.GetResult();
    };
    return RunOperation("ConfigureModuleState", work);
}

ProtocolCommandResult ProtocolFacade::EnableTransparentMode(bool enable) const {
    return RunVisitor<EnableTransparentModeVisitor>("EnableTransparentMode", enable);
}

// BLE and blobs.

ProtocolCommandResult ProtocolFacade::GetBleConfiguration(BleConfiguration& configuration) const {
    return RunVisitorForResult<GetBleConfigurationVisitor>("GetBleConfiguration", configuration);
}

ProtocolCommandResult ProtocolFacade::SetBleConfiguration(const BleConfiguration& configuration) const {
    return RunVisitor<SetBleConfigurationVisitor>("SetBleConfiguration", configuration);
}

ProtocolCommandResult ProtocolFacade::GetBlob(const TavCommon::BlobHeader& header,
                                              std::vector<unsigned char>& data) const {
    return RunVisitorForResult<GetBlobVisitor>("GetBlob", data, header);
}

ProtocolCommandResult ProtocolFacade::SetBlob(const TavCommon::BlobHeader& header,
                                              const std::vector<unsigned char>& data) const {
    return RunVisitor<SetBlobVisitor>("SetBlob", header, data);
}

ProtocolCommandResult ProtocolFacade::GetBleBlob(TavCommon::BleDataType dataType,
                                                 std::vector<unsigned char>& data) const {
    auto work = [&] {
        GetBleBlobVisitor visitor(dataType, TavCommon::MakeTimeDelay());
        Accept(visitor);
        data = visitor.GetResult();
    };
    return RunOperation("GetBleBlob", work);
}

ProtocolCommandResult ProtocolFacade::SetBleBlob(TavCommon::BleDataType dataType,
                                                 const std::vector<unsigned char>& data) const {
    auto work = [&] {
        SetBleBlobVisitor visitor(dataType, data, TavCommon::MakeTimeDelay());
        Accept(visitor);
    };
    return RunOperation("SetBleBlob", work);
}

// MIFARE writer.

ProtocolCommandResult ProtocolFacade::GetMifareWriterStatus(MifareWriterStatus& status) const {
    return RunVisitorForResult<GetMifareWriterStatusVisitor>("GetMifareWriterStatus", status);
}

ProtocolCommandResult ProtocolFacade::MifareWriterCreateAid(const MifareWriterAidInformation& aidInformation) const {
    return RunVisitor<MifareWriterCreateAidVisitor>("MifareWriterCreateAid", aidInformation);
}

ProtocolCommandResult ProtocolFacade::MifareWriterFormatCard() const {
    return RunVisitor<MifareWriterFormatCardVisitor>("MifareWriterFormatCard");
}

ProtocolCommandResult ProtocolFacade::MifareWriterChangeKey(const MifareWriterKeyInformation& keyInformation) const {
    return RunVisitor<MifareWriterChangeKeyVisitor>("MifareWriterChangeKey", keyInformation);
}

ProtocolCommandResult ProtocolFacade::MifareWriterCreateFile(const MifareWriterFileInformation& fileInformation) const {
    return RunVisitor<MifareWriterCreateFileVisitor>("MifareWriterCreateFile", fileInformation);
}

// Firmware upgrade and bootloader.

ProtocolCommandResult ProtocolFacade::EnableBootloaderMode(BootloaderModule module) const {
    auto work = [&] {
        EnableBootloaderModeVisitor visitor(module, TavCommon::MakeTimeDelay());
        Accept(visitor);
    };
    return RunOperation("EnableBootloaderMode", work);
}

ProtocolCommandResult ProtocolFacade::UpgradeFirmware(const char* path) const {
    auto work = [&] {
        // What constructing the path from a null pointer would mean, without its undefined behaviour.
        if (path == nullptr) {
            throw std::logic_error("basic_string: construction from null is not valid");
        }
        UpgradeFirmwareVisitor visitor(std::string(path), TavCommon::MakeTimeDelay());
        Accept(visitor);
    };
    return RunOperation("UpgradeFirmware", work);
}

// Device identity and the raw transport.

ProtocolCommandResult ProtocolFacade::GetDeviceId(TavCommon::DeviceId& deviceId) const {
    auto work = [&] {
        const TavCommon::ReaderDefinition& definition = transport_->readerDefinition();
        deviceId.VendorId = definition.VendorId;
        deviceId.ProductId = definition.ProductId;
        TavCommon::CopyToFixedField(deviceId.UsbPath, TavCommon::ReadFixedField(definition.UsbPath));
        TavCommon::CopyToFixedField(deviceId.SerialNumber, TavCommon::ReadFixedField(definition.SerialNumber));
    };
    return RunOperation("GetDeviceId", work);
}

TavCommon::ProtocolType ProtocolFacade::GetTransportProtocolType() const {
    const std::lock_guard lock(mutex_);
    return transport_ ? static_cast<TavCommon::ProtocolType>(transport_->readerDefinition().ProtocolType)
                      : TavCommon::ProtocolType::Invalid;
}

ProtocolCommandResult ProtocolFacade::Transmit(TavTransport::TransportPayload& payload) const {
    auto work = [&] { transport_->transmit(payload); };
    return RunOperation("Transmit", work);
}

ProtocolCommandResult ProtocolFacade::Receive(TavTransport::TransportPayload& payload) const {
    auto work = [&] { payload.data = transport_->receive(payload); };
    return RunOperation("Receive", work);
}

ProtocolCommandResult ProtocolFacade::GetLibraryInfo(Tav::LibraryInfo& info) {
    TavCommon::Logger::Trace(logger, TavCommon::kProtocolCategory, "Facade: GetLibraryInfo");
    BuildProtocolLibraryInfo(info);
    return ZeroResult();
}

ProtocolCommandResult ProtocolFacade::GetLibraryInfoAsString(char* buffer, unsigned long size) {
    TavCommon::Logger::Trace(logger, TavCommon::kProtocolCategory, "Facade: GetLibraryInfoAsString");
    if (buffer == nullptr && size != 0) {
        return MakeInvalidArgumentResult("buffer pointer cannot be null", TAV_SOURCE_FILE, kLibraryInfoBufferNullLine,
                                         "GetLibraryInfoAsString");
    }
    Tav::LibraryInfo info;
    BuildProtocolLibraryInfo(info);
    const std::string text = TavCommon::FormatLibraryInfo(info);
    if (text.size() >= size) {
        ProtocolCommandResult result = ZeroResult();
        result.HasException = true;
        TavCommon::CopyToFixedField(result.Message, "Buffer size too small for library info string");
        return result;
    }
    // The terminator follows the text itself and the rest is cleared, so no earlier contents of
    // the buffer can read as part of the text.
    std::memcpy(buffer, text.data(), text.size());
    std::memset(buffer + text.size(), 0, size - text.size());
    return ZeroResult();
}

ProtocolCommandResult ProtocolFacade::GetSupportedProtocols(std::vector<unsigned char>& protocols) {
    TavCommon::Logger::Trace(logger, TavCommon::kProtocolCategory, "Facade: GetSupportedProtocols");
    protocols.assign(std::begin(kSupportedProtocols), std::end(kSupportedProtocols));
    return ZeroResult();
}

}  // namespace TavProtocol
