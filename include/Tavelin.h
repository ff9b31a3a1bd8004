#pragma once

// Public interface of libTavelin: desktop card readers over USB HID and serial lines.
//
// A C++ header. The functions below have C linkage and unmangled names, but the header declares
// classes and namespaced record types, so a C compiler cannot include it. A host in another
// language calls the functions through its foreign-function interface, laying the records out as
// the types here give them: each record a function takes has its size asserted in its header,
// and every enumeration a function takes is one byte.
//
// Every function but Tav_BuildLibraryInfo takes a caller-owned TavResult first and fills it: Code 0
// on success, 1 with the failure's type, message, source file, line and function (and the error of
// the layer beneath, when there is one) otherwise. With a null TavResult a function does nothing
// and returns its failure value: nothing, a null handle or subscription id 0. No function throws.
// A reader handle comes from TavReader_Open and stays valid until Tav_Close.

// First, so that a compiler below C++20 stops at once (see Export.h).
#include "Tavelin/Export.h"

#include <cstddef>
#include <cstdint>

// The records the functions take, and the classes in namespace Tav, which reach the same readers and
// throw instead: Tav::AbstractReader opens, registers and closes readers, Tav::Reader runs their
// operations and the capability classes say what a reader can do.
#include "Tavelin/AbstractReader.h"
#include "Tavelin/BEEP_DURATION.h"
#include "Tavelin/BaudRateCapabilityRule.h"
#include "Tavelin/BeepVolume.h"
#include "Tavelin/BleDataType.h"
#include "Tavelin/CapabilityRule.h"
#include "Tavelin/CardData.h"
#include "Tavelin/CheckpointType.h"
#include "Tavelin/ConfigurationBlock5CapabilityRule.h"
#include "Tavelin/DefaultCapabilityDataProvider.h"
#include "Tavelin/DefaultReaderCapabilityProfile.h"
#include "Tavelin/ElvarinException.h"
#include "Tavelin/ExtendedConfiguration.h"
#include "Tavelin/ExtendedConfigurationCapabilityRule.h"
#include "Tavelin/GetCardDataSizeParameters.h"
#include "Tavelin/HashData.h"
#include "Tavelin/KeystrokingCapabilityRule.h"
#include "Tavelin/LedConfiguration.h"
#include "Tavelin/LibraryInfo.h"
#include "Tavelin/LuidResponseInformation.h"
#include "Tavelin/ProtocolCommandResult.h"
#include "Tavelin/Reader.h"
#include "Tavelin/ReaderCapability.h"
#include "Tavelin/ReaderCapabilityProfile.h"
#include "Tavelin/ReaderCapabilitySet.h"
#include "Tavelin/ReaderConfigurationStruct.h"
#include "Tavelin/ReaderDefinition.h"
#include "Tavelin/ReaderDiscovery.h"
#include "Tavelin/ReaderException.h"
#include "Tavelin/ReaderFactory.h"
#include "Tavelin/ReaderMetadataStruct.h"
#include "Tavelin/ReaderModuleId.h"
#include "Tavelin/ReaderModuleState.h"
#include "Tavelin/SmartCardConfiguration.h"
#include "Tavelin/TavCardType.h"
#include "Tavelin/TavCardTypeList.h"
#include "Tavelin/TavResult.h"
#include "Tavelin/TransparentModeCapabilityRule.h"
#include "Tavelin/TransparentModeState.h"
#include "Tavelin/TransparentModeStatus.h"

extern "C" {

// Called on the reader's own dispatch thread, once per new card and subscription. The bytes are
// valid only during the call; their number follows from the bit count.
typedef void (*TavCredentialCallback)(const uint8_t* cardData, uint32_t bitCount);

// Life cycle and metadata.
TAV_API void* TavReader_Open(TavResult* result, const TavCommon::ReaderDefinition* definition, int retryCount);
TAV_API void Tav_Init(TavResult* result, void* handle);
TAV_API void Tav_Close(TavResult* result, void* handle);
TAV_API void Tav_RefreshMetadata(TavResult* result, void* handle);
TAV_API void Tav_GetMetadataStruct(TavResult* result, void* handle, ReaderMetadataStruct* outStruct, bool refresh);

// Cards.
TAV_API void TavReader_GetCardData(TavResult* result, void* handle, uint8_t* cardDataOut, size_t size,
                                   uint32_t* bitCountOut, uint8_t sizeParameter);
TAV_API uint32_t TavReader_OnCredentialPresented(TavResult* result, void* handle, TavCredentialCallback callback,
                                                 uint8_t sizeParameter);
TAV_API void TavReader_UnsubscribeCredentialCallback(TavResult* result, void* handle, uint32_t subscriptionId);
TAV_API void TavReader_GetSupportedCardTypes(TavResult* result, void* handle, TavCardTypeList* outResult);

// Device control.
TAV_API void TavReader_Beep(TavResult* result, void* handle, uint8_t beepCount, uint8_t duration);
TAV_API void TavReader_GetBeeperVolume(TavResult* result, void* handle, uint8_t* volume);
TAV_API void TavReader_SetBeeperVolume(TavResult* result, void* handle, TavProtocol::BeepVolume volume);
TAV_API void TavReader_GetModuleState(TavResult* result, void* handle, TavProtocol::ReaderModuleId module,
                                      uint32_t* state);
TAV_API void TavReader_SetModuleState(TavResult* result, void* handle, TavProtocol::ReaderModuleId module,
                                      TavProtocol::ReaderModuleState state);
TAV_API void TavReader_EnableTransparentMode(TavResult* result, void* handle, uint8_t enable, uint8_t persist);
TAV_API void TavReader_GetTransparentModeStatus(TavResult* result, void* handle, TavProtocol::TransparentModeState* state,
                                                TavProtocol::TransparentModeStatus* status);
TAV_API void TavReader_GetLuid(TavResult* result, void* handle, TavProtocol::LuidResponseInformation* luid);
TAV_API void TavReader_SetLuid(TavResult* result, void* handle, uint16_t luid);

// Configurations.
TAV_API void TavReader_GetReaderConfiguration(TavResult* result, void* handle, uint8_t index,
                                              TavCommon::ReaderConfiguration* configuration,
                                              TavCommon::ExtendedConfiguration* extended);
// hash may be null: no hash.
TAV_API void TavReader_SetReaderConfiguration(TavResult* result, void* handle, uint8_t index,
                                              const TavCommon::ReaderConfiguration* configuration,
                                              const TavCommon::ExtendedConfiguration* extended,
                                              const TavCommon::HashData* hash);
TAV_API void TavReader_GetLedConfiguration(TavResult* result, void* handle, uint8_t index, Tav::LedConfiguration* led);
TAV_API void TavReader_SetLedConfiguration(TavResult* result, void* handle, uint8_t index,
                                           const Tav::LedConfiguration* led);
TAV_API void TavReader_EnableKeystroking(TavResult* result, void* handle, bool enable);
TAV_API void TavReader_WriteUserDefaultsToReader(TavResult* result, void* handle);
TAV_API void TavReader_ResetReaderConfiguration(TavResult* result, void* handle, uint8_t checkpoint);

// Configuration files: HWG (every configuration), BLE HWG (dataType 1 Data, 2 Key, 3 unencrypted
// key, writing only) and smart-card configuration files.
TAV_API void TavReader_WriteHwgFileToReader(TavResult* result, void* handle, const char* fileName);
TAV_API void TavReader_ReadHwgFileFromReader(TavResult* result, void* handle, const char* fileName,
                                             bool withTrailer);
TAV_API void TavReader_WriteBleConfigurationToReader(TavResult* result, void* handle, uint8_t dataType,
                                                     const char* fileName);
TAV_API void TavReader_ReadBleConfigurationFromReader(TavResult* result, void* handle, uint8_t dataType,
                                                      const char* fileName);
TAV_API void TavReader_WriteSmartCardConfigurationToReader(TavResult* result, void* handle, const char* fileName);
// The caller's header says which configuration to read; the data come back after it.
TAV_API void TavReader_ReadSmartCardConfigurationFromReader(TavResult* result, void* handle,
                                                            TavCommon::SmartCardConfiguration* configuration);

// Discovery, in two calls: with readers null it lists the USB readers and stores their number in
// *readerCount; then with room for *readerCount definitions it copies them.
TAV_API void Tav_DiscoverUsbReaders(TavResult* result, TavCommon::ReaderDefinition* readers, uint64_t* readerCount);

// Fills the caller's record with this library's build information and returns it (null stays null).
TAV_API Tav::LibraryInfo* Tav_BuildLibraryInfo(Tav::LibraryInfo* info);
}
