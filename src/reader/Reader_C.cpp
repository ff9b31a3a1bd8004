// The flat interface: every function checks its pointers, then runs its work through one
// ExportedCall frame, which turns whatever was thrown into the caller's TavResult. Outputs are
// written only after the reader's operation succeeded.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Tavelin.h"
#include "Tavelin/AbstractReader.h"
#include "Tavelin/Reader.h"
#include "common/CardType.h"
#include "common/FixedText.h"
#include "common/LibraryInfoBuilder.h"
#include "common/Logger.h"
#include "facade/ProtocolFacadeExports.h"
#include "reader/ExportedCall.h"
#include "reader/ReaderConfigurationConversion.h"

// Fetched while the library loads, so the logger reads the environment before any call.
[[maybe_unused]] static const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();

namespace {

using Tav::ExportedCall;

constexpr const char* kNullHandle = "Called with null handle";
constexpr const char* kNullFileName = "Called with null fileName";
// The fixed lines of the argument errors, one per check, and of the failed discovery: hosts see
// them in the record, so they never follow this file's layout. A new check takes a value no other
// check uses.
constexpr int32_t kOpenDefinitionLine = 109;
constexpr int32_t kCloseHandleLine = 180;
constexpr int32_t kInitHandleLine = 196;
constexpr int32_t kRefreshMetadataHandleLine = 213;
constexpr int32_t kGetMetadataHandleLine = 237;
constexpr int32_t kGetMetadataOutStructLine = 243;
constexpr int32_t kBeepHandleLine = 271;
constexpr int32_t kGetCardDataHandleLine = 293;
constexpr int32_t kGetCardDataOutLine = 299;
constexpr int32_t kGetCardDataBitCountLine = 305;
constexpr int32_t kGetCardDataSizeLine = 315;
constexpr int32_t kGetBeeperVolumeHandleLine = 338;
constexpr int32_t kGetBeeperVolumeOutLine = 344;
constexpr int32_t kSetBeeperVolumeHandleLine = 358;
constexpr int32_t kWriteSmartCardHandleLine = 377;
constexpr int32_t kWriteSmartCardFileNameLine = 383;
constexpr int32_t kReadSmartCardHandleLine = 401;
constexpr int32_t kReadSmartCardConfigurationLine = 407;
constexpr int32_t kGetConfigurationHandleLine = 426;
constexpr int32_t kGetConfigurationOutLine = 432;
constexpr int32_t kGetConfigurationExtendedLine = 438;
constexpr int32_t kSetConfigurationHandleLine = 449;
constexpr int32_t kSetConfigurationInLine = 455;
constexpr int32_t kSetConfigurationExtendedLine = 461;
constexpr int32_t kGetModuleStateHandleLine = 539;
constexpr int32_t kGetModuleStateOutLine = 545;
constexpr int32_t kSetModuleStateHandleLine = 561;
constexpr int32_t kGetLedHandleLine = 582;
constexpr int32_t kGetLedOutLine = 588;
constexpr int32_t kSetLedHandleLine = 601;
constexpr int32_t kSetLedInLine = 607;
constexpr int32_t kEnableKeystrokingHandleLine = 619;
constexpr int32_t kGetLuidHandleLine = 637;
constexpr int32_t kGetLuidOutLine = 643;
constexpr int32_t kSetLuidHandleLine = 655;
constexpr int32_t kWriteUserDefaultsHandleLine = 672;
constexpr int32_t kResetConfigurationHandleLine = 690;
constexpr int32_t kGetSupportedCardTypesHandleLine = 709;
constexpr int32_t kGetSupportedCardTypesOutLine = 715;
constexpr int32_t kReadBleHandleLine = 751;
constexpr int32_t kReadBleFileNameLine = 757;
constexpr int32_t kReadBleDataTypeLine = 763;
constexpr int32_t kWriteBleHandleLine = 784;
constexpr int32_t kWriteBleFileNameLine = 790;
constexpr int32_t kWriteBleDataTypeLine = 796;
constexpr int32_t kWriteHwgHandleLine = 816;
constexpr int32_t kWriteHwgFileNameLine = 822;
constexpr int32_t kReadHwgHandleLine = 840;
constexpr int32_t kReadHwgFileNameLine = 846;
constexpr int32_t kSubscribeHandleLine = 864;
constexpr int32_t kSubscribeCallbackLine = 870;
constexpr int32_t kSubscribeSizeLine = 876;
constexpr int32_t kUnsubscribeHandleLine = 901;
constexpr int32_t kEnableTransparentModeHandleLine = 920;
constexpr int32_t kTransparentModeHandleLine = 939;
constexpr int32_t kTransparentModeStateOutLine = 945;
constexpr int32_t kTransparentModeStatusOutLine = 951;
constexpr int32_t kDiscoverCountLine = 970;
constexpr int32_t kDiscoveryFailedLine = 984;

// A card read always fills this many bytes, whatever the size parameter.
constexpr std::size_t kCardDataBytes = 32;

// The registered reader of a handle, shared for the length of the call. A handle that was never
// opened, or was closed, is refused like a bad argument instead of being followed.
template <typename ReaderType = Tav::Reader>
std::shared_ptr<ReaderType> LookUp(void* handle, const ExportedCall& call, int32_t handleLine) {
    std::shared_ptr<ReaderType> reader =
        std::dynamic_pointer_cast<ReaderType>(Tav::AbstractReader::GetInstance(handle));
    if (!reader) {
        throw Tav::ReaderException("Invalid reader handle", ExportedCall::kFile, handleLine, call.ExportedName());
    }
    return reader;
}

// A host may fill a text field to its last byte; only what lies inside the field is taken.
template <std::size_t Size>
void CopyBoundedText(char (&to)[Size], const char (&from)[Size]) {
    const std::size_t length = strnlen(from, Size);
    std::memcpy(to, from, length);
    std::memset(to + length, 0, Size - length);
}

TavCommon::ReaderDefinition BoundedCopy(const TavCommon::ReaderDefinition& definition) {
    TavCommon::ReaderDefinition copy;
    std::memcpy(&copy, &definition, sizeof copy);
    CopyBoundedText(copy.UsbPath, definition.UsbPath);
    CopyBoundedText(copy.SerialNumber, definition.SerialNumber);
    CopyBoundedText(copy.SerialPortSettings.PortName, definition.SerialPortSettings.PortName);
    return copy;
}

}  // namespace

extern "C" {

TAV_API void* TavReader_Open(TavResult* result, const TavCommon::ReaderDefinition* definition, int retryCount) {
    ExportedCall call(result, "TavReader_Open");
    if (!call.Require(definition, "Called with null definition", kOpenDefinitionLine)) {
        return nullptr;
    }
    return call.RunWithReturn<void*>("Open", [&] {
        return Tav::AbstractReader::CreateReaderInstance(BoundedCopy(*definition), std::max(retryCount, 0));
    });
}

TAV_API void Tav_Close(TavResult* result, void* handle) {
    ExportedCall call(result, "Tav_Close");
    if (!call.Require(handle, kNullHandle, kCloseHandleLine)) {
        return;
    }
    call.Run("Close", [&] { Tav::AbstractReader::DestroyInstance(handle); });
}

TAV_API void Tav_Init(TavResult* result, void* handle) {
    ExportedCall call(result, "Tav_Init");
    if (!call.Require(handle, kNullHandle, kInitHandleLine)) {
        return;
    }
    call.Run("Init", [&] { LookUp<Tav::AbstractReader>(handle, call, kInitHandleLine)->Init(); });
}

TAV_API void Tav_RefreshMetadata(TavResult* result, void* handle) {
    ExportedCall call(result, "Tav_RefreshMetadata");
    if (!call.Require(handle, kNullHandle, kRefreshMetadataHandleLine)) {
        return;
    }
    call.Run("RefreshMetadata",
             [&] { LookUp<Tav::AbstractReader>(handle, call, kRefreshMetadataHandleLine)->RefreshMetadata(); });
}

TAV_API void Tav_GetMetadataStruct(TavResult* result, void* handle, ReaderMetadataStruct* outStruct, bool refresh) {
    ExportedCall call(result, "Tav_GetMetadataStruct");
    if (!call.Require(handle, kNullHandle, kGetMetadataHandleLine) ||
        !call.Require(outStruct, "Called with null outStruct", kGetMetadataOutStructLine)) {
        return;
    }
    call.Run("GetMetadataStruct", [&] {
        const ReaderMetadataStruct metadata =
            LookUp<Tav::AbstractReader>(handle, call, kGetMetadataHandleLine)->GetMetadataStruct(refresh);
        std::memcpy(outStruct, &metadata, sizeof metadata);
    });
}

TAV_API void TavReader_Beep(TavResult* result, void* handle, uint8_t beepCount, uint8_t duration) {
    ExportedCall call(result, "TavReader_Beep");
    if (!call.Require(handle, kNullHandle, kBeepHandleLine)) {
        return;
    }
    call.Run("Beep", [&] {
        LookUp(handle, call, kBeepHandleLine)->Beep(beepCount, static_cast<TavProtocol::BEEP_DURATION>(duration));
    });
}

TAV_API void TavReader_GetCardData(TavResult* result, void* handle, uint8_t* cardDataOut, size_t size,
                                   uint32_t* bitCountOut, uint8_t sizeParameter) {
    ExportedCall call(result, "TavReader_GetCardData");
    if (!call.Require(handle, kNullHandle, kGetCardDataHandleLine) ||
        !call.Require(cardDataOut, "Called with null cardDataOut", kGetCardDataOutLine) ||
        !call.Require(bitCountOut, "Called with null bitCountOut", kGetCardDataBitCountLine)) {
        return;
    }
    // Checked before the read, so a buffer too small does not consume the card.
    if (size < kCardDataBytes) {
        char message[128];
        std::snprintf(message, sizeof message, "cardDataOut buffer too small. Required size: %zu, provided size: %zu.",
                      kCardDataBytes, size);
        call.Fail(message, kGetCardDataSizeLine);
        return;
    }
    call.Run("GetCardData", [&] {
        Tav::CardData card(std::vector<uint8_t>(kCardDataBytes, 0), 0);
        LookUp(handle, call, kGetCardDataHandleLine)
            ->GetCardData(card, static_cast<TavProtocol::GetCardDataSizeParameters>(sizeParameter));
        // A read never shortens the vector, and the copy takes exactly the size checked above: the
        // host's buffer is safe whatever the read returns.
        std::memset(cardDataOut, 0, size);
        std::copy_n(card.data.begin(), kCardDataBytes, cardDataOut);
        *bitCountOut = card.bitCount;
    });
}

TAV_API void TavReader_GetBeeperVolume(TavResult* result, void* handle, uint8_t* volume) {
    ExportedCall call(result, "TavReader_GetBeeperVolume");
    if (!call.Require(handle, kNullHandle, kGetBeeperVolumeHandleLine) ||
        !call.Require(volume, "Called with null volume", kGetBeeperVolumeOutLine)) {
        return;
    }
    call.Run("GetBeeperVolume", [&] {
        TavProtocol::BeepVolume local{};
        LookUp(handle, call, kGetBeeperVolumeHandleLine)->GetBeeperVolume(local);
        *volume = static_cast<uint8_t>(local);
    });
}

TAV_API void TavReader_SetBeeperVolume(TavResult* result, void* handle, TavProtocol::BeepVolume volume) {
    ExportedCall call(result, "TavReader_SetBeeperVolume");
    if (!call.Require(handle, kNullHandle, kSetBeeperVolumeHandleLine)) {
        return;
    }
    call.Run("SetBeeperVolume", [&] { LookUp(handle, call, kSetBeeperVolumeHandleLine)->SetBeeperVolume(volume); });
}

TAV_API void TavReader_WriteSmartCardConfigurationToReader(TavResult* result, void* handle, const char* fileName) {
    ExportedCall call(result, "TavReader_WriteSmartCardConfigurationToReader");
    if (!call.Require(handle, kNullHandle, kWriteSmartCardHandleLine) ||
        !call.Require(fileName, kNullFileName, kWriteSmartCardFileNameLine)) {
        return;
    }
    call.Run("WriteSmartCardConfigurationToReader",
             [&] { LookUp(handle, call, kWriteSmartCardHandleLine)->WriteSmartCardConfigurationToReader(fileName); });
}

TAV_API void TavReader_ReadSmartCardConfigurationFromReader(TavResult* result, void* handle,
                                                            TavCommon::SmartCardConfiguration* configuration) {
    ExportedCall call(result, "TavReader_ReadSmartCardConfigurationFromReader");
    if (!call.Require(handle, kNullHandle, kReadSmartCardHandleLine) ||
        !call.Require(configuration, "Called with null configuration", kReadSmartCardConfigurationLine)) {
        return;
    }
    call.Run("ReadSmartCardConfigurationFromReader", [&] {
        // The header is checked here, before the reader is asked.
        TavCommon::SmartCardConfiguration local;
        local.SetConfiguration(configuration->Header, std::vector<uint8_t>(configuration->Header.DataLength, 0));
        LookUp(handle, call, kReadSmartCardHandleLine)->ReadSmartCardConfigurationFromReader(local);
        std::memcpy(configuration, &local, sizeof local);
    });
}

TAV_API void TavReader_GetReaderConfiguration(TavResult* result, void* handle, uint8_t index,
                                              TavCommon::ReaderConfiguration* configuration,
                                              TavCommon::ExtendedConfiguration* extended) {
    ExportedCall call(result, "TavReader_GetReaderConfiguration");
    if (!call.Require(handle, kNullHandle, kGetConfigurationHandleLine) ||
        !call.Require(configuration, "Called with null configuration", kGetConfigurationOutLine) ||
        !call.Require(extended, "Called with null extended", kGetConfigurationExtendedLine)) {
        return;
    }
    call.Run("GetReaderConfiguration", [&] {
        TavCommon::ReaderConfiguration local;
        TavCommon::ExtendedConfiguration localExtended = *extended;
        LookUp(handle, call, kGetConfigurationHandleLine)->GetReaderConfiguration(index, local, localExtended);
        std::memcpy(configuration, &local, sizeof local);
        *extended = localExtended;
    });
}

TAV_API void TavReader_SetReaderConfiguration(TavResult* result, void* handle, uint8_t index,
                                              const TavCommon::ReaderConfiguration* configuration,
                                              const TavCommon::ExtendedConfiguration* extended,
                                              const TavCommon::HashData* hash) {
    ExportedCall call(result, "TavReader_SetReaderConfiguration");
    if (!call.Require(handle, kNullHandle, kSetConfigurationHandleLine) ||
        !call.Require(configuration, "Called with null configuration", kSetConfigurationInLine) ||
        !call.Require(extended, "Called with null extended", kSetConfigurationExtendedLine)) {
        return;
    }
    call.Run("SetReaderConfiguration", [&] {
        const TavCommon::ReaderConfiguration checked = Tav::ReaderConfigurationConversion::Validated(*configuration);
        LookUp(handle, call, kSetConfigurationHandleLine)
            ->SetReaderConfiguration(index, checked, *extended, hash != nullptr ? *hash : TavCommon::HashData{});
    });
}

TAV_API void TavReader_GetModuleState(TavResult* result, void* handle, TavProtocol::ReaderModuleId module,
                                      uint32_t* state) {
    ExportedCall call(result, "TavReader_GetModuleState");
    if (!call.Require(handle, kNullHandle, kGetModuleStateHandleLine) ||
        !call.Require(state, "Called with null state", kGetModuleStateOutLine)) {
        return;
    }
    call.Run("GetModuleState", [&] {
        TavProtocol::ReaderModuleState local{};
        LookUp(handle, call, kGetModuleStateHandleLine)->GetModuleState(module, local);
        *state = static_cast<uint32_t>(local);
    });
}

TAV_API void TavReader_SetModuleState(TavResult* result, void* handle, TavProtocol::ReaderModuleId module,
                                      TavProtocol::ReaderModuleState state) {
    ExportedCall call(result, "TavReader_SetModuleState");
    if (!call.Require(handle, kNullHandle, kSetModuleStateHandleLine)) {
        return;
    }
    call.Run("SetModuleState", [&] { LookUp(handle, call, kSetModuleStateHandleLine)->SetModuleState(module, state); });
}

TAV_API void TavReader_GetLedConfiguration(TavResult* result, void* handle, uint8_t index, Tav::LedConfiguration* led) {
    ExportedCall call(result, "TavReader_GetLedConfiguration");
    if (!call.Require(handle, kNullHandle, kGetLedHandleLine) ||
        !call.Require(led, "Called with null led", kGetLedOutLine)) {
        return;
    }
    call.Run("GetLedConfiguration", [&] {
        Tav::LedConfiguration local{};
        LookUp(handle, call, kGetLedHandleLine)->GetLedConfiguration(index, local);
        *led = local;
    });
}

TAV_API void TavReader_SetLedConfiguration(TavResult* result, void* handle, uint8_t index,
                                           const Tav::LedConfiguration* led) {
    ExportedCall call(result, "TavReader_SetLedConfiguration");
    if (!call.Require(handle, kNullHandle, kSetLedHandleLine) ||
        !call.Require(led, "Called with null led", kSetLedInLine)) {
        return;
    }
    call.Run("SetLedConfiguration", [&] { LookUp(handle, call, kSetLedHandleLine)->SetLedConfiguration(index, *led); });
}

TAV_API void TavReader_EnableKeystroking(TavResult* result, void* handle, bool enable) {
    ExportedCall call(result, "TavReader_EnableKeystroking");
    if (!call.Require(handle, kNullHandle, kEnableKeystrokingHandleLine)) {
        return;
    }
    call.Run("EnableKeystroking",
             [&] { LookUp(handle, call, kEnableKeystrokingHandleLine)->EnableKeystroking(enable); });
}

TAV_API void TavReader_GetLuid(TavResult* result, void* handle, TavProtocol::LuidResponseInformation* luid) {
    ExportedCall call(result, "TavReader_GetLuid");
    if (!call.Require(handle, kNullHandle, kGetLuidHandleLine) ||
        !call.Require(luid, "Called with null luid", kGetLuidOutLine)) {
        return;
    }
    call.Run("GetLuid", [&] {
        TavProtocol::LuidResponseInformation local;
        LookUp(handle, call, kGetLuidHandleLine)->GetLuid(local);
        *luid = local;
    });
}

TAV_API void TavReader_SetLuid(TavResult* result, void* handle, uint16_t luid) {
    ExportedCall call(result, "TavReader_SetLuid");
    if (!call.Require(handle, kNullHandle, kSetLuidHandleLine)) {
        return;
    }
    call.Run("SetLuid", [&] { LookUp(handle, call, kSetLuidHandleLine)->SetLuid(luid); });
}

TAV_API void TavReader_WriteUserDefaultsToReader(TavResult* result, void* handle) {
    ExportedCall call(result, "TavReader_WriteUserDefaultsToReader");
    if (!call.Require(handle, kNullHandle, kWriteUserDefaultsHandleLine)) {
        return;
    }
    call.Run("WriteUserDefaultsToReader",
             [&] { LookUp(handle, call, kWriteUserDefaultsHandleLine)->WriteUserDefaultsToReader(); });
}

TAV_API void TavReader_ResetReaderConfiguration(TavResult* result, void* handle, uint8_t checkpoint) {
    ExportedCall call(result, "TavReader_ResetReaderConfiguration");
    if (!call.Require(handle, kNullHandle, kResetConfigurationHandleLine)) {
        return;
    }
    call.Run("ResetReaderConfiguration", [&] {
        LookUp(handle, call, kResetConfigurationHandleLine)
            ->ResetReaderConfiguration(static_cast<Tav::CheckpointType>(checkpoint));
    });
}

TAV_API void TavReader_GetSupportedCardTypes(TavResult* result, void* handle, TavCardTypeList* outResult) {
    ExportedCall call(result, "TavReader_GetSupportedCardTypes");
    if (!call.Require(handle, kNullHandle, kGetSupportedCardTypesHandleLine) ||
        !call.Require(outResult, "Called with null outResult", kGetSupportedCardTypesOutLine)) {
        return;
    }
    call.Run("GetSupportedCardTypes", [&] {
        std::vector<TavCommon::CardType> cardTypes;
        LookUp(handle, call, kGetSupportedCardTypesHandleLine)->GetSupportedCardTypes(cardTypes);
        std::memset(outResult, 0, sizeof(TavCardTypeList));
        const std::size_t count = std::min(cardTypes.size(), TavCardTypeList::kMaxCardTypes);
        for (std::size_t i = 0; i < count; ++i) {
            outResult->CardTypes[i] = cardTypes[i].ToCRecord();
        }
        outResult->Count = static_cast<uint32_t>(count);
    });
}

TAV_API void TavReader_ReadBleConfigurationFromReader(TavResult* result, void* handle, uint8_t dataType,
                                                      const char* fileName) {
    ExportedCall call(result, "TavReader_ReadBleConfigurationFromReader");
    if (!call.Require(handle, kNullHandle, kReadBleHandleLine) ||
        !call.Require(fileName, kNullFileName, kReadBleFileNameLine) ||
        !call.RequireThat(dataType == 1 || dataType == 2, "Invalid dataType. Must be 1 (Data) or 2 (Key)",
                          kReadBleDataTypeLine)) {
        return;
    }
    call.Run("ReadBleConfigurationFromReader", [&] {
        LookUp(handle, call, kReadBleHandleLine)
            ->ReadBleConfigurationFromReader(static_cast<TavCommon::BleDataType>(dataType), fileName);
    });
}

TAV_API void TavReader_WriteBleConfigurationToReader(TavResult* result, void* handle, uint8_t dataType,
                                                     const char* fileName) {
    ExportedCall call(result, "TavReader_WriteBleConfigurationToReader");
    if (!call.Require(handle, kNullHandle, kWriteBleHandleLine) ||
        !call.Require(fileName, kNullFileName, kWriteBleFileNameLine) ||
        !call.RequireThat(dataType >= 1 && dataType <= 3,
                          "Invalid dataType. Must be 1 (Data), 2 (Key), or 3 (UnencryptedKey)",
                          kWriteBleDataTypeLine)) {
        return;
    }
    call.Run("WriteBleConfigurationToReader", [&] {
        LookUp(handle, call, kWriteBleHandleLine)
            ->WriteBleConfigurationToReader(static_cast<TavCommon::BleDataType>(dataType), fileName);
    });
}

TAV_API void TavReader_WriteHwgFileToReader(TavResult* result, void* handle, const char* fileName) {
    ExportedCall call(result, "TavReader_WriteHwgFileToReader");
    if (!call.Require(handle, kNullHandle, kWriteHwgHandleLine) ||
        !call.Require(fileName, kNullFileName, kWriteHwgFileNameLine)) {
        return;
    }
    call.Run("WriteHwgFileToReader",
             [&] { LookUp(handle, call, kWriteHwgHandleLine)->WriteHwgFileToReader(fileName); });
}

TAV_API void TavReader_ReadHwgFileFromReader(TavResult* result, void* handle, const char* fileName, bool withTrailer) {
    ExportedCall call(result, "TavReader_ReadHwgFileFromReader");
    if (!call.Require(handle, kNullHandle, kReadHwgHandleLine) ||
        !call.Require(fileName, kNullFileName, kReadHwgFileNameLine)) {
        return;
    }
    call.Run("ReadHwgFileFromReader",
             [&] { LookUp(handle, call, kReadHwgHandleLine)->ReadHwgFileFromReader(fileName, withTrailer); });
}

TAV_API uint32_t TavReader_OnCredentialPresented(TavResult* result, void* handle, TavCredentialCallback callback,
                                                 uint8_t sizeParameter) {
    ExportedCall call(result, "TavReader_OnCredentialPresented");
    const auto size = static_cast<TavProtocol::GetCardDataSizeParameters>(sizeParameter);
    if (!call.Require(handle, kNullHandle, kSubscribeHandleLine) ||
        !call.RequireThat(callback != nullptr, "Called with null callback", kSubscribeCallbackLine) ||
        !call.RequireThat(TavProtocol::IsKnownCardDataSize(size), TavProtocol::kUnknownCardDataSizeMessage,
                          kSubscribeSizeLine)) {
        return 0;
    }
    return call.RunWithReturn<uint32_t>("OnCredentialPresented", [&] {
        return LookUp(handle, call, kSubscribeHandleLine)
            ->OnCredentialPresented([callback](Tav::CardData& card) { callback(card.data.data(), card.bitCount); },
                                    size);
    });
}

TAV_API void TavReader_UnsubscribeCredentialCallback(TavResult* result, void* handle, uint32_t subscriptionId) {
    ExportedCall call(result, "TavReader_UnsubscribeCredentialCallback");
    if (!call.Require(handle, kNullHandle, kUnsubscribeHandleLine)) {
        return;
    }
    call.Run("UnsubscribeCredentialCallback",
             [&] { LookUp(handle, call, kUnsubscribeHandleLine)->UnsubscribeCredentialCallback(subscriptionId); });
}

TAV_API void TavReader_EnableTransparentMode(TavResult* result, void* handle, uint8_t enable, uint8_t persist) {
    ExportedCall call(result, "TavReader_EnableTransparentMode");
    if (!call.Require(handle, kNullHandle, kEnableTransparentModeHandleLine)) {
        return;
    }
    call.Run("EnableTransparentMode", [&] {
        LookUp(handle, call, kEnableTransparentModeHandleLine)->EnableTransparentMode(enable != 0, persist != 0);
    });
}

TAV_API void TavReader_GetTransparentModeStatus(TavResult* result, void* handle,
                                                TavProtocol::TransparentModeState* state,
                                                TavProtocol::TransparentModeStatus* status) {
    ExportedCall call(result, "TavReader_GetTransparentModeStatus");
    if (!call.Require(handle, kNullHandle, kTransparentModeHandleLine) ||
        !call.Require(state, "Called with null state", kTransparentModeStateOutLine) ||
        !call.Require(status, "Called with null status", kTransparentModeStatusOutLine)) {
        return;
    }
    call.Run("GetTransparentModeStatus", [&] {
        TavProtocol::TransparentModeState localState{};
        TavProtocol::TransparentModeStatus localStatus{};
        LookUp(handle, call, kTransparentModeHandleLine)->GetTransparentModeStatus(localState, localStatus);
        *state = localState;
        *status = localStatus;
    });
}

TAV_API void Tav_DiscoverUsbReaders(TavResult* result, TavCommon::ReaderDefinition* readers, uint64_t* readerCount) {
    ExportedCall call(result, "Tav_DiscoverUsbReaders");
    if (!call.Require(readerCount, "Called with null readerCount pointer", kDiscoverCountLine)) {
        return;
    }
    call.Run("Tav_DiscoverUsbReaders", [&] {
        const ProtocolCommandResult discovery = TavProtocol::Exports::DiscoverUsbReaders(readers, readerCount);
        if (discovery.HasException) {
            throw Tav::ReaderException(
                std::string("Failed to discover USB readers: ").append(TavCommon::ReadFixedField(discovery.Message)),
                discovery, ExportedCall::kFile, kDiscoveryFailedLine, "operator()");
        }
    });
}

TAV_API Tav::LibraryInfo* Tav_BuildLibraryInfo(Tav::LibraryInfo* info) {
    if (info != nullptr) {
        Tav::BuildReaderLibraryInfo(*info);
    }
    return info;
}
}
