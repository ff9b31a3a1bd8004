#include "facade/ProtocolFacadeExports.h"

#include <fmt/format.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "Tavelin/LibraryInfo.h"
#include "common/BlobHeader.h"
#include "common/BluetoothFirmwareVersion.h"
#include "common/ExtendedConfiguration.h"
#include "common/FelicaSamFirmwareVersion.h"
#include "common/FixedText.h"
#include "common/HashData.h"
#include "common/HidSeSamFirmwareVersion.h"
#include "common/MicrocontrollerFirmwareVersion.h"
#include "common/NxpSamFirmwareVersion.h"
#include "common/ReaderConfiguration.h"
#include "facade/ProtocolFacade.h"
#include "facade/ProtocolLibraryInfo.h"
#include "records/ActiveConfigurationInformation.h"
#include "records/BleConfiguration.h"
#include "records/CardAnalyzerData.h"
#include "records/CardReadPayload.h"
#include "records/InstalledHardwareInformation.h"
#include "records/LuidResponseInformation.h"
#include "records/MifareWriterAidInformation.h"
#include "records/MifareWriterFileInformation.h"
#include "records/MifareWriterKeyInformation.h"
#include "records/QueuedIdFlagParameters.h"
#include "records/QueuedIdInformation.h"
#include "records/TransparentModeStatusInformation.h"
#include "transport/TransportPayload.h"

namespace TavProtocol::Exports {

namespace {

// What the last counting call found; the copying call hands out exactly this list.
std::mutex discoveryCacheMutex;
std::vector<TavCommon::ReaderDefinition> discoveryCache;

// The records of this layer's own argument errors name fixed lines that hosts may match.
constexpr int32_t kNullCountLine = 65;
constexpr int32_t kCountMismatchLine = 80;
constexpr int32_t kNullDataLine = 778;
constexpr int32_t kNullBufferLine = 799;
constexpr int32_t kReceiveOverflowLine = 814;

constexpr std::string_view kFile = "./external/tavProtocol/src/ProtocolFacadeExports";

// A receive's length travels in 16 bits.
constexpr unsigned int kLargestReceive = 65535;

ProtocolCommandResult InvalidHandleResult() noexcept {
    ProtocolCommandResult result = ZeroResult();
    result.HasException = true;
    TavCommon::CopyToFixedField(result.Message, "Invalid protocol handle");
    return result;
}

ProtocolCommandResult NullPointerResult(std::string_view message, int32_t line, std::string_view function) {
    return MakeInvalidArgumentResult(message, kFile, line, function);
}

// The result did not fit the caller's array; nothing of it was copied.
ProtocolCommandResult OverflowResult(std::string_view unit, std::size_t actual, std::size_t capacity, int32_t line,
                                     std::string_view function) {
    ProtocolCommandResult result = MakeInvalidArgumentResult(
        fmt::format("Received data exceeds buffer size. Actual {}: {}, Buffer capacity: {}", unit, actual, capacity),
        kFile, line, function);
    TavCommon::CopyToFixedField(result.ExceptionType, "BufferOverflow");
    return result;
}

// Every wrapper's frame: the handle's facade, held for the whole call so that a concurrent
// destruction cannot free it underneath; then the operation. Whatever escapes, the facade's own
// guards included, becomes the record.
template <typename Operation>
ProtocolCommandResult OnFacade(ProtocolHandle handle, Operation&& operation) noexcept {
    try {
        const std::shared_ptr<ProtocolFacade> facade = ProtocolFacade::GetInstance(handle);
        if (!facade) {
            return InvalidHandleResult();
        }
        return operation(static_cast<const ProtocolFacade&>(*facade));
    } catch (...) {
        return RecordCurrentException();
    }
}

// A wrapper with one out-pointer: a null one is refused before the handle is looked at.
template <typename Output, typename Operation>
ProtocolCommandResult IntoOutput(ProtocolHandle handle, Output* output, std::string_view nullMessage, int32_t line,
                                 std::string_view function, Operation&& operation) noexcept {
    if (output == nullptr) {
        return NullPointerResult(nullMessage, line, function);
    }
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return operation(facade, *output); });
}

// Runs an operation whose result is a vector and copies it into the caller's array of *count
// elements, storing the number copied; a result larger than the array is refused whole, and
// *count then holds the number needed, so the caller can size the array and call again.
template <typename Element, typename Operation>
ProtocolCommandResult IntoArray(ProtocolHandle handle, Element* array, unsigned int* count, std::string_view unit,
                                int32_t overflowLine, std::string_view function, Operation&& operation) noexcept {
    return OnFacade(handle, [&](const ProtocolFacade& facade) {
        std::vector<Element> elements;
        const ProtocolCommandResult result = operation(facade, elements);
        if (result.HasException) {
            return result;
        }
        if (elements.size() > *count) {
            ProtocolCommandResult overflow = OverflowResult(unit, elements.size(), *count, overflowLine, function);
            *count = static_cast<unsigned int>(elements.size());
            return overflow;
        }
        std::copy(elements.begin(), elements.end(), array);
        *count = static_cast<unsigned int>(elements.size());
        return result;
    });
}

}  // namespace

ProtocolHandle CreateProtocolInstance(const TavCommon::ReaderDefinition& definition, int retryCount,
                                      ProtocolCommandResult* result) {
    return ProtocolFacade::CreateInstance(definition, retryCount, result);
}

void DestroyProtocolInstance(ProtocolHandle handle) { ProtocolFacade::DestroyInstance(handle); }

Tav::LibraryInfo* GetLibraryInfo(Tav::LibraryInfo* info) {
    if (info != nullptr) {
        BuildProtocolLibraryInfo(*info);
    }
    return info;
}

ProtocolCommandResult DiscoverUsbReaders(TavCommon::ReaderDefinition* readers, uint64_t* readerCount,
                                         const std::filesystem::path& sysfsRoot) {
    if (readerCount == nullptr) {
        return NullPointerResult("readerCount pointer cannot be null", kNullCountLine, "DiscoverUsbReaders");
    }
    try {
        const std::lock_guard lock(discoveryCacheMutex);
        if (readers == nullptr) {
            const ProtocolCommandResult result = ProtocolFacade::DiscoverUsbReaders(discoveryCache, sysfsRoot);
            if (!result.HasException) {
                *readerCount = discoveryCache.size();
            }
            return result;
        }
        if (*readerCount != discoveryCache.size()) {
            return MakeInvalidArgumentResult(
                "Provided readerCount does not match the number of readers. Call DiscoverUsbReaders with readers set "
                "to nullptr to get the required buffer size.",
                kFile, kCountMismatchLine, "DiscoverUsbReaders");
        }
        std::copy(discoveryCache.begin(), discoveryCache.end(), readers);
        return ZeroResult();
    } catch (...) {
        return RecordCurrentException();
    }
}

ProtocolCommandResult GetSupportedCards(ProtocolHandle handle, unsigned short* cardTypes, unsigned int* cardTypeCount) {
    if (cardTypeCount == nullptr) {
        return NullPointerResult("cardTypeCount pointer cannot be null", __LINE__, __func__);
    }
    if (cardTypes == nullptr && *cardTypeCount != 0) {
        return NullPointerResult("cardTypes pointer cannot be null", __LINE__, __func__);
    }
    return IntoArray(handle, cardTypes, cardTypeCount, "count", __LINE__, __func__,
                     [](const ProtocolFacade& facade, std::vector<unsigned short>& codes) {
                         return facade.GetSupportedCards(codes);
                     });
}

ProtocolCommandResult GetCardData(ProtocolHandle handle, GetCardDataSizeParameters size, unsigned char* buffer,
                                  unsigned long bufferSize) {
    if (buffer == nullptr && bufferSize != 0) {
        return NullPointerResult("buffer pointer cannot be null", __LINE__, __func__);
    }
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.GetCardData(size, buffer, bufferSize); });
}

ProtocolCommandResult GetCardBitCount(ProtocolHandle handle, unsigned char* bitCount) {
    return IntoOutput(handle, bitCount, "bitCount pointer cannot be null", __LINE__, __func__,
                      [&](const ProtocolFacade& facade, unsigned char& out) { return facade.GetCardBitCount(out); });
}

ProtocolCommandResult GetCardReadPayload(ProtocolHandle handle, GetCardDataSizeParameters size,
                                         CardReadPayload* payload) {
    return IntoOutput(
        handle, payload, "payload pointer cannot be null", __LINE__, __func__,
        [&](const ProtocolFacade& facade, CardReadPayload& out) { return facade.GetCardReadPayload(size, out); });
}

ProtocolCommandResult GetQueuedId(ProtocolHandle handle, const QueuedIdFlagParameters& flags,
                                  QueuedIdInformation* queuedId) {
    return IntoOutput(
        handle, queuedId, "queuedId pointer cannot be null", __LINE__, __func__,
        [&](const ProtocolFacade& facade, QueuedIdInformation& out) { return facade.GetQueuedId(flags, out); });
}

ProtocolCommandResult GetCardAnalyzerStatus(ProtocolHandle handle, CardAnalyzerStatus* status) {
    return IntoOutput(
        handle, status, "status pointer cannot be null", __LINE__, __func__,
        [&](const ProtocolFacade& facade, CardAnalyzerStatus& out) { return facade.GetCardAnalyzerStatus(out); });
}

ProtocolCommandResult SetCardAnalyzerControl(ProtocolHandle handle, CardAnalyzerControlParameter control) {
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.SetCardAnalyzerControl(control); });
}

ProtocolCommandResult GetCardAnalyzerData(ProtocolHandle handle, CardAnalyzerData* records, unsigned int* recordCount,
                                          unsigned char cardCount) {
    if (recordCount == nullptr) {
        return NullPointerResult("recordCount pointer cannot be null", __LINE__, __func__);
    }
    if (records == nullptr && *recordCount != 0) {
        return NullPointerResult("records pointer cannot be null", __LINE__, __func__);
    }
    return IntoArray(handle, records, recordCount, "count", __LINE__, __func__,
                     [cardCount](const ProtocolFacade& facade, std::vector<CardAnalyzerData>& elements) {
                         return facade.GetCardAnalyzerData(elements, cardCount);
                     });
}

// Identity and versions.

ProtocolCommandResult GetESN(ProtocolHandle handle, char* buffer, unsigned long bufferSize) {
    if (buffer == nullptr && bufferSize != 0) {
        return NullPointerResult("buffer pointer cannot be null", __LINE__, __func__);
    }
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.GetESN(buffer, bufferSize); });
}

ProtocolCommandResult GetPartNumber(ProtocolHandle handle, char* buffer, unsigned long bufferSize) {
    if (buffer == nullptr && bufferSize != 0) {
        return NullPointerResult("buffer pointer cannot be null", __LINE__, __func__);
    }
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.GetPartNumber(buffer, bufferSize); });
}

ProtocolCommandResult GetString(ProtocolHandle handle, char* buffer, unsigned long bufferSize, GetStringIndex index) {
    if (buffer == nullptr && bufferSize != 0) {
        return NullPointerResult("buffer pointer cannot be null", __LINE__, __func__);
    }
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.GetString(buffer, bufferSize, index); });
}

ProtocolCommandResult GetControlFirmwareVersion(ProtocolHandle handle, MicrocontrollerFirmwareVersion* version,
                                                FirmwareVersionModuleType moduleType) {
    return IntoOutput(handle, version, "version pointer cannot be null", __LINE__, __func__,
                      [&](const ProtocolFacade& facade, MicrocontrollerFirmwareVersion& out) {
                          return facade.GetControlFirmwareVersion(out, moduleType);
                      });
}

ProtocolCommandResult GetRadioFirmwareVersion(ProtocolHandle handle, MicrocontrollerFirmwareVersion* version,
                                              FirmwareVersionModuleType moduleType) {
    return IntoOutput(handle, version, "version pointer cannot be null", __LINE__, __func__,
                      [&](const ProtocolFacade& facade, MicrocontrollerFirmwareVersion& out) {
                          return facade.GetRadioFirmwareVersion(out, moduleType);
                      });
}

ProtocolCommandResult GetBluetoothFirmwareVersion(ProtocolHandle handle, BluetoothFirmwareVersion* version,
                                                  FirmwareVersionModuleType moduleType) {
    return IntoOutput(handle, version, "version pointer cannot be null", __LINE__, __func__,
                      [&](const ProtocolFacade& facade, BluetoothFirmwareVersion& out) {
                          return facade.GetBluetoothFirmwareVersion(out, moduleType);
                      });
}

ProtocolCommandResult GetNxpAvxSamFirmwareVersion(ProtocolHandle handle, NxpSamFirmwareVersion* version) {
    return IntoOutput(handle, version, "version pointer cannot be null", __LINE__, __func__,
                      [&](const ProtocolFacade& facade, NxpSamFirmwareVersion& out) {
                          return facade.GetNxpAvxSamFirmwareVersion(out);
                      });
}

ProtocolCommandResult GetHidSeSamFirmwareVersion(ProtocolHandle handle, HidSeSamFirmwareVersion* version) {
    return IntoOutput(handle, version, "version pointer cannot be null", __LINE__, __func__,
                      [&](const ProtocolFacade& facade, HidSeSamFirmwareVersion& out) {
                          return facade.GetHidSeSamFirmwareVersion(out);
                      });
}

ProtocolCommandResult GetFelicaSamFirmwareVersion(ProtocolHandle handle, FelicaSamFirmwareVersion* version) {
    return IntoOutput(handle, version, "version pointer cannot be null", __LINE__, __func__,
                      [&](const ProtocolFacade& facade, FelicaSamFirmwareVersion& out) {
                          return facade.GetFelicaSamFirmwareVersion(out);
                      });
}

ProtocolCommandResult GetInstalledHardware(ProtocolHandle handle, InstalledHardwareInformation* hardware) {
    return IntoOutput(handle, hardware, "hardware pointer cannot be null", __LINE__, __func__,
                      [&](const ProtocolFacade& facade, InstalledHardwareInformation& out) {
                          return facade.GetInstalledHardware(out);
                      });
}

ProtocolCommandResult GetSystemUptime(ProtocolHandle handle, unsigned int* uptime) {
    return IntoOutput(handle, uptime, "uptime pointer cannot be null", __LINE__, __func__,
                      [&](const ProtocolFacade& facade, unsigned int& out) { return facade.GetSystemUptime(out); });
}

ProtocolCommandResult GetLuid(ProtocolHandle handle, LuidResponseInformation* luid) {
    return IntoOutput(handle, luid, "luid pointer cannot be null", __LINE__, __func__,
                      [&](const ProtocolFacade& facade, LuidResponseInformation& out) { return facade.GetLuid(out); });
}

ProtocolCommandResult SetLuid(ProtocolHandle handle, unsigned short luid) {
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.SetLuid(luid); });
}

ProtocolCommandResult GetTransparentModeStatus(ProtocolHandle handle, TransparentModeStatusInformation* status) {
    return IntoOutput(handle, status, "status pointer cannot be null", __LINE__, __func__,
                      [&](const ProtocolFacade& facade, TransparentModeStatusInformation& out) {
                          return facade.GetTransparentModeStatus(out);
                      });
}

// Configuration blocks, whole configurations and their management.

ProtocolCommandResult SetActiveConfiguration(ProtocolHandle handle, unsigned char configuration) {
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.SetActiveConfiguration(configuration); });
}

ProtocolCommandResult GetActiveConfiguration(ProtocolHandle handle, ActiveConfigurationInformation* information) {
    return IntoOutput(handle, information, "information pointer cannot be null", __LINE__, __func__,
                      [&](const ProtocolFacade& facade, ActiveConfigurationInformation& out) {
                          return facade.GetActiveConfiguration(out);
                      });
}

ProtocolCommandResult GetConfigurationBlock1(ProtocolHandle handle, ReaderConfigurationBlock1* block) {
    return IntoOutput(handle, block, "block pointer cannot be null", __LINE__, __func__,
                      [&](const ProtocolFacade& facade, ReaderConfigurationBlock1& out) {
                          return facade.GetConfigurationBlock1(out);
                      });
}

ProtocolCommandResult GetConfigurationBlock2(ProtocolHandle handle, ReaderConfigurationBlock2* block) {
    return IntoOutput(handle, block, "block pointer cannot be null", __LINE__, __func__,
                      [&](const ProtocolFacade& facade, ReaderConfigurationBlock2& out) {
                          return facade.GetConfigurationBlock2(out);
                      });
}

ProtocolCommandResult GetConfigurationBlock3(ProtocolHandle handle, ReaderConfigurationBlock3* block) {
    return IntoOutput(handle, block, "block pointer cannot be null", __LINE__, __func__,
                      [&](const ProtocolFacade& facade, ReaderConfigurationBlock3& out) {
                          return facade.GetConfigurationBlock3(out);
                      });
}

ProtocolCommandResult GetConfigurationBlock4(ProtocolHandle handle, ReaderConfigurationBlock4* block) {
    return IntoOutput(handle, block, "block pointer cannot be null", __LINE__, __func__,
                      [&](const ProtocolFacade& facade, ReaderConfigurationBlock4& out) {
                          return facade.GetConfigurationBlock4(out);
                      });
}

ProtocolCommandResult GetConfigurationBlock5(ProtocolHandle handle, ReaderConfigurationBlock5* block) {
    return IntoOutput(handle, block, "block pointer cannot be null", __LINE__, __func__,
                      [&](const ProtocolFacade& facade, ReaderConfigurationBlock5& out) {
                          return facade.GetConfigurationBlock5(out);
                      });
}

ProtocolCommandResult SetConfigurationBlock1(ProtocolHandle handle, unsigned char configuration,
                                             const ReaderConfigurationBlock1& block) {
    return OnFacade(handle,
                    [&](const ProtocolFacade& facade) { return facade.SetConfigurationBlock1(configuration, block); });
}

ProtocolCommandResult SetConfigurationBlock2(ProtocolHandle handle, unsigned char configuration,
                                             const ReaderConfigurationBlock2& block) {
    return OnFacade(handle,
                    [&](const ProtocolFacade& facade) { return facade.SetConfigurationBlock2(configuration, block); });
}

ProtocolCommandResult SetConfigurationBlock3(ProtocolHandle handle, unsigned char configuration,
                                             const ReaderConfigurationBlock3& block) {
    return OnFacade(handle,
                    [&](const ProtocolFacade& facade) { return facade.SetConfigurationBlock3(configuration, block); });
}

ProtocolCommandResult SetConfigurationBlock4(ProtocolHandle handle, unsigned char configuration,
                                             const ReaderConfigurationBlock4& block) {
    return OnFacade(handle,
                    [&](const ProtocolFacade& facade) { return facade.SetConfigurationBlock4(configuration, block); });
}

ProtocolCommandResult SetConfigurationBlock5(ProtocolHandle handle, unsigned char configuration,
                                             const ReaderConfigurationBlock5& block) {
    return OnFacade(handle,
                    [&](const ProtocolFacade& facade) { return facade.SetConfigurationBlock5(configuration, block); });
}

ProtocolCommandResult GetConfiguration(ProtocolHandle handle, unsigned char configuration,
                                       ReaderConfiguration* readerConfiguration) {
    return IntoOutput(handle, readerConfiguration, "readerConfiguration pointer cannot be null", __LINE__, __func__,
                      [&](const ProtocolFacade& facade, ReaderConfiguration& out) {
                          return facade.GetConfiguration(configuration, out);
                      });
}

ProtocolCommandResult SetConfiguration(ProtocolHandle handle, unsigned char configuration,
                                       const ReaderConfiguration& readerConfiguration) {
    return OnFacade(handle, [&](const ProtocolFacade& facade) {
        return facade.SetConfiguration(configuration, readerConfiguration);
    });
}

ProtocolCommandResult WriteConfiguration(ProtocolHandle handle, unsigned char writeLuidToFlash) {
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.WriteConfiguration(writeLuidToFlash); });
}

ProtocolCommandResult LoadStoredDefaults(ProtocolHandle handle) {
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.LoadStoredDefaults(); });
}

ProtocolCommandResult CopyConfiguration(ProtocolHandle handle, ConfigurationLocation source,
                                        ConfigurationLocation destination, unsigned char third, unsigned char fourth) {
    return OnFacade(handle, [&](const ProtocolFacade& facade) {
        return facade.CopyConfiguration(source, destination, third, fourth);
    });
}

ProtocolCommandResult GetExtendedConfiguration(ProtocolHandle handle, TavCommon::ExtendedConfiguration* configuration) {
    return IntoOutput(handle, configuration, "configuration pointer cannot be null", __LINE__, __func__,
                      [&](const ProtocolFacade& facade, TavCommon::ExtendedConfiguration& out) {
                          return facade.GetExtendedConfiguration(out);
                      });
}

ProtocolCommandResult SetExtendedConfiguration(ProtocolHandle handle,
                                               const TavCommon::ExtendedConfiguration& configuration,
                                               const TavCommon::HashData& hashData) {
    return OnFacade(
        handle, [&](const ProtocolFacade& facade) { return facade.SetExtendedConfiguration(configuration, hashData); });
}

// Beeper, baud rate and modules.

ProtocolCommandResult Beep(ProtocolHandle handle, unsigned char count, BEEP_DURATION duration) {
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.Beep(count, duration); });
}

ProtocolCommandResult GetBeeperVolume(ProtocolHandle handle, BeepVolume* volume) {
    return IntoOutput(handle, volume, "volume pointer cannot be null", __LINE__, __func__,
                      [](const ProtocolFacade& facade, BeepVolume& out) { return facade.GetBeeperVolume(out); });
}

ProtocolCommandResult SetBeeperVolume(ProtocolHandle handle, BeepVolume volume) {
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.SetBeeperVolume(volume); });
}

ProtocolCommandResult GetBaudRate(ProtocolHandle handle, SerialReaderBaudRate* baudRate) {
    return IntoOutput(handle, baudRate, "baudRate pointer cannot be null", __LINE__, __func__,
                      [](const ProtocolFacade& facade, SerialReaderBaudRate& out) { return facade.GetBaudRate(out); });
}

ProtocolCommandResult SetBaudRate(ProtocolHandle handle, SerialReaderBaudRate baudRate) {
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.SetBaudRate(baudRate); });
}

ProtocolCommandResult ConfigureModuleState(ProtocolHandle handle, ReaderModuleAction action, ReaderModuleId module,
                                           ReaderModuleState* state) {
    return IntoOutput(handle, state, "state pointer cannot be null", __LINE__, __func__,
                      [&](const ProtocolFacade& facade, ReaderModuleState& inOut) {
                          return facade.ConfigureModuleState(action, module, inOut);
                      });
}

ProtocolCommandResult EnableTransparentMode(ProtocolHandle handle, bool enable) {
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.EnableTransparentMode(enable); });
}

// BLE and blobs.

ProtocolCommandResult GetBleConfiguration(ProtocolHandle handle, BleConfiguration* configuration) {
    return IntoOutput(
        handle, configuration, "configuration pointer cannot be null", __LINE__, __func__,
        [](const ProtocolFacade& facade, BleConfiguration& out) { return facade.GetBleConfiguration(out); });
}

ProtocolCommandResult SetBleConfiguration(ProtocolHandle handle, const BleConfiguration& configuration) {
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.SetBleConfiguration(configuration); });
}

ProtocolCommandResult GetBlob(ProtocolHandle handle, const TavCommon::BlobHeader* header, unsigned char* data,
                              unsigned int* dataSize) {
    if (header == nullptr) {
        return NullPointerResult("header pointer cannot be null", __LINE__, __func__);
    }
    if (dataSize == nullptr) {
        return NullPointerResult("dataSize pointer cannot be null", __LINE__, __func__);
    }
    if (data == nullptr && *dataSize != 0) {
        return NullPointerResult("data pointer cannot be null", __LINE__, __func__);
    }
    return IntoArray(handle, data, dataSize, "bytes", __LINE__, __func__,
                     [&](const ProtocolFacade& facade, std::vector<unsigned char>& bytes) {
                         const ProtocolCommandResult result = facade.GetBlob(*header, bytes);
                         // The reader pads the blob to whole pieces; the caller gets the blob alone.
                         if (!result.HasException && bytes.size() > header->DataLength) {
                             bytes.resize(header->DataLength);
                         }
                         return result;
                     });
}

ProtocolCommandResult SetBlob(ProtocolHandle handle, const TavCommon::BlobHeader* header, const unsigned char* data,
                              unsigned int dataSize) {
    if (header == nullptr) {
        return NullPointerResult("header pointer cannot be null", __LINE__, __func__);
    }
    if (data == nullptr && dataSize != 0) {
        return NullPointerResult("data pointer cannot be null", __LINE__, __func__);
    }
    return OnFacade(handle, [&](const ProtocolFacade& facade) {
        return facade.SetBlob(*header, std::vector<unsigned char>(data, data + dataSize));
    });
}

ProtocolCommandResult GetBleBlob(ProtocolHandle handle, TavCommon::BleDataType dataType, unsigned char* data,
                                 unsigned int* dataSize) {
    if (dataSize == nullptr) {
        return NullPointerResult("dataSize pointer cannot be null", __LINE__, __func__);
    }
    if (data == nullptr && *dataSize != 0) {
        return NullPointerResult("data pointer cannot be null", __LINE__, __func__);
    }
    return IntoArray(handle, data, dataSize, "bytes", __LINE__, __func__,
                     [dataType](const ProtocolFacade& facade, std::vector<unsigned char>& bytes) {
                         return facade.GetBleBlob(dataType, bytes);
                     });
}

ProtocolCommandResult SetBleBlob(ProtocolHandle handle, TavCommon::BleDataType dataType, const unsigned char* data,
                                 unsigned int dataSize) {
    if (data == nullptr && dataSize != 0) {
        return NullPointerResult("data pointer cannot be null", __LINE__, __func__);
    }
    return OnFacade(handle, [&](const ProtocolFacade& facade) {
        return facade.SetBleBlob(dataType, std::vector<unsigned char>(data, data + dataSize));
    });
}

// MIFARE writer.

ProtocolCommandResult GetMifareWriterStatus(ProtocolHandle handle, MifareWriterStatus* status) {
    return IntoOutput(
        handle, status, "status pointer cannot be null", __LINE__, __func__,
        [](const ProtocolFacade& facade, MifareWriterStatus& out) { return facade.GetMifareWriterStatus(out); });
}

ProtocolCommandResult MifareWriterCreateAid(ProtocolHandle handle, const MifareWriterAidInformation& aidInformation) {
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.MifareWriterCreateAid(aidInformation); });
}

ProtocolCommandResult MifareWriterFormatCard(ProtocolHandle handle) {
    return OnFacade(handle, [](const ProtocolFacade& facade) { return facade.MifareWriterFormatCard(); });
}

ProtocolCommandResult MifareWriterChangeKey(ProtocolHandle handle, const MifareWriterKeyInformation& keyInformation) {
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.MifareWriterChangeKey(keyInformation); });
}

ProtocolCommandResult MifareWriterCreateFile(ProtocolHandle handle,
                                             const MifareWriterFileInformation& fileInformation) {
    return OnFacade(handle,
                    [&](const ProtocolFacade& facade) { return facade.MifareWriterCreateFile(fileInformation); });
}

// Firmware upgrade and bootloader.

ProtocolCommandResult EnableBootloaderMode(ProtocolHandle handle, BootloaderModule module) {
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.EnableBootloaderMode(module); });
}

ProtocolCommandResult UpgradeFirmware(ProtocolHandle handle, const char* path) {
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.UpgradeFirmware(path); });
}

// Device identity and the raw transport.

ProtocolCommandResult GetDeviceId(ProtocolHandle handle, TavCommon::DeviceId* deviceId) {
    return IntoOutput(handle, deviceId, "deviceId pointer cannot be null", __LINE__, __func__,
                      [&](const ProtocolFacade& facade, TavCommon::DeviceId& out) { return facade.GetDeviceId(out); });
}

ProtocolCommandResult Transmit(ProtocolHandle handle, const unsigned char* data, unsigned int size,
                               TavTransport::ReportType kind) {
    if (data == nullptr) {
        return NullPointerResult("data pointer cannot be null", kNullDataLine, "Transmit");
    }
    return OnFacade(handle, [&](const ProtocolFacade& facade) {
        // The transports send every byte of the vector; the length is only what they log.
        TavTransport::TransportPayload payload{std::vector<uint8_t>(data, data + size),
                                               static_cast<uint16_t>(std::min(size, kLargestReceive)), kind};
        return facade.Transmit(payload);
    });
}

ProtocolCommandResult Receive(ProtocolHandle handle, unsigned char* buffer, unsigned int capacity,
                              TavTransport::ReportType kind) {
    if (buffer == nullptr) {
        return NullPointerResult("buffer pointer cannot be null", kNullBufferLine, "Receive");
    }
    return OnFacade(handle, [&](const ProtocolFacade& facade) {
        // Cut, not wrapped: 65536 must not become a request for nothing.
        TavTransport::TransportPayload payload{{}, static_cast<uint16_t>(std::min(capacity, kLargestReceive)), kind};
        const ProtocolCommandResult result = facade.Receive(payload);
        if (result.HasException) {
            return result;
        }
        if (payload.data.size() > capacity) {
            return OverflowResult("bytes", payload.data.size(), capacity, kReceiveOverflowLine, "Receive");
        }
        std::copy(payload.data.begin(), payload.data.end(), buffer);
        return result;
    });
}

}  // namespace TavProtocol::Exports
