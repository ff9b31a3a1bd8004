#pragma once

#include <cstdint>
#include <filesystem>

#include "Tavelin/LibraryInfo.h"
#include "Tavelin/ProtocolCommandResult.h"
#include "Tavelin/ReaderDefinition.h"
#include "facade/ProtocolFacade.h"
#include "facade/ProtocolHandle.h"
#include "transport/TransportPayload.h"
#include "transport/UsbSysfs.h"

// The protocol library's handle-based interface: one wrapper per operation of an opened facade,
// naming the facade by its handle. Nothing here leaves the library (hidden, and in a namespace of
// its own so that names such as GetCardData never meet a host's). Every wrapper returns a record,
// never an exception: null out-pointers and unknown handles are refused before any input or
// output, and results that come in arrays take the caller's capacity and report "BufferOverflow"
// rather than write past it.
namespace TavProtocol {
namespace [[gnu::visibility("hidden")]] Exports {

ProtocolHandle CreateProtocolInstance(const TavCommon::ReaderDefinition& definition, int retryCount,
                                      ProtocolCommandResult* result);
void DestroyProtocolInstance(ProtocolHandle handle);

// Fills info with the protocol library's record and returns it; null stays null.
Tav::LibraryInfo* GetLibraryInfo(Tav::LibraryInfo* info);

// The host's two-call discovery over a cached list. With readers null it lists the USB readers,
// caches them and stores their number in *readerCount; otherwise it copies the cached list into
// readers, provided *readerCount is its size.
ProtocolCommandResult DiscoverUsbReaders(TavCommon::ReaderDefinition* readers, uint64_t* readerCount,
                                         const std::filesystem::path& sysfsRoot = TavTransport::UsbSysfs::kDefaultRoot);

// Cards. *cardTypeCount and *recordCount hold the array's capacity on entry, the number written
// on success and the number needed on "BufferOverflow".
ProtocolCommandResult GetSupportedCards(ProtocolHandle handle, unsigned short* cardTypes, unsigned int* cardTypeCount);
ProtocolCommandResult GetCardData(ProtocolHandle handle, GetCardDataSizeParameters size, unsigned char* buffer,
                                  unsigned long bufferSize);
ProtocolCommandResult GetCardBitCount(ProtocolHandle handle, unsigned char* bitCount);
ProtocolCommandResult GetCardReadPayload(ProtocolHandle handle, GetCardDataSizeParameters size,
                                         CardReadPayload* payload);
ProtocolCommandResult GetQueuedId(ProtocolHandle handle, const QueuedIdFlagParameters& flags,
                                  QueuedIdInformation* queuedId);
ProtocolCommandResult GetCardAnalyzerStatus(ProtocolHandle handle, CardAnalyzerStatus* status);
ProtocolCommandResult SetCardAnalyzerControl(ProtocolHandle handle, CardAnalyzerControlParameter control);
ProtocolCommandResult GetCardAnalyzerData(ProtocolHandle handle, CardAnalyzerData* records, unsigned int* recordCount,
                                          unsigned char cardCount);

// Identity and versions. A text comes with its NUL and needs a buffer that holds both.
ProtocolCommandResult GetESN(ProtocolHandle handle, char* buffer, unsigned long bufferSize);
ProtocolCommandResult GetPartNumber(ProtocolHandle handle, char* buffer, unsigned long bufferSize);
ProtocolCommandResult GetString(ProtocolHandle handle, char* buffer, unsigned long bufferSize, GetStringIndex index);
ProtocolCommandResult GetControlFirmwareVersion(ProtocolHandle handle, MicrocontrollerFirmwareVersion* version,
                                                FirmwareVersionModuleType moduleType);
ProtocolCommandResult GetRadioFirmwareVersion(ProtocolHandle handle, MicrocontrollerFirmwareVersion* version,
                                              FirmwareVersionModuleType moduleType);
ProtocolCommandResult GetBluetoothFirmwareVersion(ProtocolHandle handle, BluetoothFirmwareVersion* version,
                                                  FirmwareVersionModuleType moduleType);
ProtocolCommandResult GetNxpAvxSamFirmwareVersion(ProtocolHandle handle, NxpSamFirmwareVersion* version);
ProtocolCommandResult GetHidSeSamFirmwareVersion(ProtocolHandle handle, HidSeSamFirmwareVersion* version);
ProtocolCommandResult GetFelicaSamFirmwareVersion(ProtocolHandle handle, FelicaSamFirmwareVersion* version);
ProtocolCommandResult GetInstalledHardware(ProtocolHandle handle, InstalledHardwareInformation* hardware);
ProtocolCommandResult GetSystemUptime(ProtocolHandle handle, unsigned int* uptime);
ProtocolCommandResult GetLuid(ProtocolHandle handle, LuidResponseInformation* luid);
ProtocolCommandResult SetLuid(ProtocolHandle handle, unsigned short luid);
ProtocolCommandResult GetTransparentModeStatus(ProtocolHandle handle, TransparentModeStatusInformation* status);

// Configuration blocks, whole configurations and their management.
ProtocolCommandResult SetActiveConfiguration(ProtocolHandle handle, unsigned char configuration);
ProtocolCommandResult GetActiveConfiguration(ProtocolHandle handle, ActiveConfigurationInformation* information);
ProtocolCommandResult GetConfigurationBlock1(ProtocolHandle handle, ReaderConfigurationBlock1* block);
ProtocolCommandResult GetConfigurationBlock2(ProtocolHandle handle, ReaderConfigurationBlock2* block);
ProtocolCommandResult GetConfigurationBlock3(ProtocolHandle handle, ReaderConfigurationBlock3* block);
ProtocolCommandResult GetConfigurationBlock4(ProtocolHandle handle, ReaderConfigurationBlock4* block);
ProtocolCommandResult GetConfigurationBlock5(ProtocolHandle handle, ReaderConfigurationBlock5* block);
ProtocolCommandResult SetConfigurationBlock1(ProtocolHandle handle, unsigned char configuration,
                                             const ReaderConfigurationBlock1& block);
ProtocolCommandResult SetConfigurationBlock2(ProtocolHandle handle, unsigned char configuration,
                                             const ReaderConfigurationBlock2& block);
ProtocolCommandResult SetConfigurationBlock3(ProtocolHandle handle, unsigned char configuration,
                                             const ReaderConfigurationBlock3& block);
ProtocolCommandResult SetConfigurationBlock4(ProtocolHandle handle, unsigned char configuration,
                                             const ReaderConfigurationBlock4& block);
ProtocolCommandResult SetConfigurationBlock5(ProtocolHandle handle, unsigned char configuration,
                                             const ReaderConfigurationBlock5& block);
ProtocolCommandResult GetConfiguration(ProtocolHandle handle, unsigned char configuration,
                                       ReaderConfiguration* readerConfiguration);
ProtocolCommandResult SetConfiguration(ProtocolHandle handle, unsigned char configuration,
                                       const ReaderConfiguration& readerConfiguration);
ProtocolCommandResult WriteConfiguration(ProtocolHandle handle, unsigned char writeLuidToFlash);
ProtocolCommandResult LoadStoredDefaults(ProtocolHandle handle);
ProtocolCommandResult CopyConfiguration(ProtocolHandle handle, ConfigurationLocation source,
                                        ConfigurationLocation destination, unsigned char third, unsigned char fourth);
ProtocolCommandResult GetExtendedConfiguration(ProtocolHandle handle, TavCommon::ExtendedConfiguration* configuration);
ProtocolCommandResult SetExtendedConfiguration(ProtocolHandle handle,
                                               const TavCommon::ExtendedConfiguration& configuration,
                                               const TavCommon::HashData& hashData);

// Beeper, baud rate and modules. *state is read on entry and holds the reader's answer on success.
ProtocolCommandResult Beep(ProtocolHandle handle, unsigned char count, BEEP_DURATION duration);
ProtocolCommandResult GetBeeperVolume(ProtocolHandle handle, BeepVolume* volume);
ProtocolCommandResult SetBeeperVolume(ProtocolHandle handle, BeepVolume volume);
ProtocolCommandResult GetBaudRate(ProtocolHandle handle, SerialReaderBaudRate* baudRate);
ProtocolCommandResult SetBaudRate(ProtocolHandle handle, SerialReaderBaudRate baudRate);
ProtocolCommandResult ConfigureModuleState(ProtocolHandle handle, ReaderModuleAction action, ReaderModuleId module,
                                           ReaderModuleState* state);
ProtocolCommandResult EnableTransparentMode(ProtocolHandle handle, bool enable);

// BLE and blobs. *dataSize holds the array's capacity on entry, the number of bytes written on
// success and the number needed on "BufferOverflow"; a blob read gives the header's data length,
// not the padding the reader sends with it.
ProtocolCommandResult GetBleConfiguration(ProtocolHandle handle, BleConfiguration* configuration);
ProtocolCommandResult SetBleConfiguration(ProtocolHandle handle, const BleConfiguration& configuration);
ProtocolCommandResult GetBlob(ProtocolHandle handle, const TavCommon::BlobHeader* header, unsigned char* data,
                              unsigned int* dataSize);
ProtocolCommandResult SetBlob(ProtocolHandle handle, const TavCommon::BlobHeader* header, const unsigned char* data,
                              unsigned int dataSize);
ProtocolCommandResult GetBleBlob(ProtocolHandle handle, TavCommon::BleDataType dataType, unsigned char* data,
                                 unsigned int* dataSize);
ProtocolCommandResult SetBleBlob(ProtocolHandle handle, TavCommon::BleDataType dataType, const unsigned char* data,
                                 unsigned int dataSize);

// MIFARE writer.
ProtocolCommandResult GetMifareWriterStatus(ProtocolHandle handle, MifareWriterStatus* status);
ProtocolCommandResult MifareWriterCreateAid(ProtocolHandle handle, const MifareWriterAidInformation& aidInformation);
ProtocolCommandResult MifareWriterFormatCard(ProtocolHandle handle);
ProtocolCommandResult MifareWriterChangeKey(ProtocolHandle handle, const MifareWriterKeyInformation& keyInformation);
ProtocolCommandResult MifareWriterCreateFile(ProtocolHandle handle, const MifareWriterFileInformation& fileInformation);

// Firmware upgrade and bootloader. A null path is the facade's to refuse.
ProtocolCommandResult EnableBootloaderMode(ProtocolHandle handle, BootloaderModule module);
ProtocolCommandResult UpgradeFirmware(ProtocolHandle handle, const char* path);

// Device identity and the raw transport. Receive copies the bytes read into buffer when they fit
// its capacity; a capacity above 65535 reads at most 65535 bytes.
ProtocolCommandResult GetDeviceId(ProtocolHandle handle, TavCommon::DeviceId* deviceId);
ProtocolCommandResult Transmit(ProtocolHandle handle, const unsigned char* data, unsigned int size,
                               TavTransport::ReportType kind);
ProtocolCommandResult Receive(ProtocolHandle handle, unsigned char* buffer, unsigned int capacity,
                              TavTransport::ReportType kind);

}  // namespace gnu::visibility("hidden")]]Exports
}  // namespace TavProtocol
