#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "Tavelin/ProtocolCommandResult.h"
#include "Tavelin/ReaderDefinition.h"
#include "common/BleDataType.h"
#include "facade/ProtocolHandle.h"
#include "records/BEEP_DURATION.h"
#include "records/BeepVolume.h"
#include "records/BootloaderModule.h"
#include "records/CardAnalyzerControlParameter.h"
#include "records/CardAnalyzerStatus.h"
#include "records/ConfigurationLocation.h"
#include "records/FirmwareVersionModuleType.h"
#include "records/GetCardDataSizeParameters.h"
#include "records/GetStringIndex.h"
#include "records/MifareWriterStatus.h"
#include "records/ReaderModuleAction.h"
#include "records/ReaderModuleId.h"
#include "records/ReaderModuleState.h"
#include "records/SerialReaderBaudRate.h"
#include "transport/UsbSysfs.h"

// The records the operations take and fill by reference: a caller includes those it uses.
struct InstalledHardwareInformation;

namespace Tav {
struct LibraryInfo;
}

namespace TavCommon {
struct BlobHeader;
struct ExtendedConfiguration;
struct HashData;
}  // namespace TavCommon

namespace TavTransport {
class Transport;
struct TransportPayload;
}  // namespace TavTransport

namespace TavProtocol {

class CommandVisitor;
class GetSamFirmwareVersionVisitor;
class Protocol;

struct ActiveConfigurationInformation;
struct BleConfiguration;
struct BluetoothFirmwareVersion;
struct CardAnalyzerData;
struct CardReadPayload;
struct FelicaSamFirmwareVersion;
struct HidSeSamFirmwareVersion;
struct LuidResponseInformation;
struct MicrocontrollerFirmwareVersion;
struct MifareWriterAidInformation;
struct MifareWriterFileInformation;
struct MifareWriterKeyInformation;
struct NxpSamFirmwareVersion;
struct QueuedIdFlagParameters;
struct QueuedIdInformation;
struct ReaderConfiguration;
struct ReaderConfigurationBlock1;
struct ReaderConfigurationBlock2;
struct ReaderConfigurationBlock3;
struct ReaderConfigurationBlock4;
struct ReaderConfigurationBlock5;
struct TransparentModeStatusInformation;

// One opened reader: its protocol object and transport, reached through a handle registry. Every
// operation runs alone under the facade's mutex, from the first byte sent to the last received.
//
// Failures that come back as a ProtocolCommandResult: everything an operation's work throws (the
// reader's refusals, the transport's errors, a bad argument, std::bad_alloc), through
// RunCheckedFacadeFunction; the argument checks made before the work (a null buffer); every
// failure of CreateInstance (0, and *result when given); and the static calls' failures.
// Failures that are thrown: the frame's two guards, before the work, throw std::runtime_error
// "ProtocolFacade instance is being destroyed" (DestroyInstance has begun on this facade) and
// "ProtocolFacade instance has invalid protocol or transport". They are not failures of the
// reader but of the caller's hold on a facade that is going away, so they stay outside the gate
// and the caller's own gate reports them in its own form: the handle-based wrappers as a record
// through RecordCurrentException, the reader layer through its exported function's frame. A
// caller that can meet a DestroyInstance from another thread therefore calls inside such a frame
// or catches std::runtime_error. Beyond these, only std::bad_alloc outside an operation's work
// can leave a call; GetInstance, DestroyInstance and GetTransportProtocolType report nothing.
//
// The registry shares ownership of each facade with the operations running on it, so a facade
// that is destroyed while a thread is inside (or waiting at) one of its operations stays valid
// until that thread has left; the device itself is closed by DestroyInstance.
class ProtocolFacade : public std::enable_shared_from_this<ProtocolFacade> {
    struct ConstructionKey {
        explicit ConstructionKey() = default;
    };

public:
    // Only CreateInstance makes facades; the key keeps the constructor out of other hands.
    explicit ProtocolFacade(ConstructionKey);
    ~ProtocolFacade();
    ProtocolFacade(const ProtocolFacade&) = delete;
    ProtocolFacade& operator=(const ProtocolFacade&) = delete;

    // Opens the reader of the definition; 0 on failure, described in *result when it is given.
    // A negative retry count means a single attempt.
    static ProtocolHandle CreateInstance(const TavCommon::ReaderDefinition& definition, int retryCount,
                                         ProtocolCommandResult* result);
    // The registered facade with a share of its ownership, so a concurrent DestroyInstance can
    // close the device but never free the object under the caller; null when the handle is not
    // registered.
    static std::shared_ptr<ProtocolFacade> GetInstance(ProtocolHandle handle);
    // Unregisters the facade, lets a running operation finish, refuses the waiting ones and closes
    // the device. Unknown, zero and already destroyed handles are ignored.
    static void DestroyInstance(ProtocolHandle handle);

    // Replaces readers with the attached USB readers of the supported-device table, in sysfs order,
    // as feature-report definitions. The sysfs root is a test's to choose.
    static ProtocolCommandResult DiscoverUsbReaders(
        std::vector<TavCommon::ReaderDefinition>& readers,
        const std::filesystem::path& sysfsRoot = TavTransport::UsbSysfs::kDefaultRoot);

    // Cards. Out-parameters are written only when the operation succeeds.
    ProtocolCommandResult GetSupportedCards(std::vector<unsigned short>& cardTypes) const;
    // Copies the 32 card bytes into buffer, which must hold them; writes no terminator. A smaller
    // buffer is refused before the card is read, so the read is not lost.
    ProtocolCommandResult GetCardData(GetCardDataSizeParameters size, unsigned char* buffer,
                                      unsigned long bufferSize) const;
    ProtocolCommandResult GetCardBitCount(unsigned char& bitCount) const;
    ProtocolCommandResult GetCardReadPayload(GetCardDataSizeParameters size, CardReadPayload& payload) const;
    ProtocolCommandResult GetQueuedId(const QueuedIdFlagParameters& flags, QueuedIdInformation& queuedId) const;
    ProtocolCommandResult GetCardAnalyzerStatus(CardAnalyzerStatus& status) const;
    ProtocolCommandResult SetCardAnalyzerControl(CardAnalyzerControlParameter control) const;
    ProtocolCommandResult GetCardAnalyzerData(std::vector<CardAnalyzerData>& records, unsigned char cardCount) const;

    // Identity and versions. A text is copied with its NUL into buffer, which must hold both; the
    // size is checked once the text has been read.
    ProtocolCommandResult GetESN(char* buffer, unsigned long bufferSize) const;
    ProtocolCommandResult GetPartNumber(char* buffer, unsigned long bufferSize) const;
    ProtocolCommandResult GetString(char* buffer, unsigned long bufferSize, GetStringIndex index) const;
    ProtocolCommandResult GetControlFirmwareVersion(MicrocontrollerFirmwareVersion& version,
                                                    FirmwareVersionModuleType moduleType) const;
    ProtocolCommandResult GetRadioFirmwareVersion(MicrocontrollerFirmwareVersion& version,
                                                  FirmwareVersionModuleType moduleType) const;
    ProtocolCommandResult GetBluetoothFirmwareVersion(BluetoothFirmwareVersion& version,
                                                      FirmwareVersionModuleType moduleType) const;
    ProtocolCommandResult GetNxpAvxSamFirmwareVersion(NxpSamFirmwareVersion& version) const;
    ProtocolCommandResult GetHidSeSamFirmwareVersion(HidSeSamFirmwareVersion& version) const;
    ProtocolCommandResult GetFelicaSamFirmwareVersion(FelicaSamFirmwareVersion& version) const;
    ProtocolCommandResult GetInstalledHardware(InstalledHardwareInformation& hardware) const;
    ProtocolCommandResult GetSystemUptime(unsigned int& uptime) const;
    ProtocolCommandResult GetLuid(LuidResponseInformation& luid) const;
    ProtocolCommandResult SetLuid(unsigned short luid) const;
    ProtocolCommandResult GetTransparentModeStatus(TransparentModeStatusInformation& status) const;

    // Configuration blocks, whole configurations and their management. The block reads act on the
    // active configuration; the operations that take a configuration number select it first, in
    // the same frame, and leave it active. Writes check the number and every block before the
    // first phrase; a failure in mid-exchange leaves what was written before it in force.
    ProtocolCommandResult SetActiveConfiguration(unsigned char configuration) const;
    // Writes no closing log line.
    ProtocolCommandResult GetActiveConfiguration(ActiveConfigurationInformation& information) const;
    ProtocolCommandResult GetConfigurationBlock1(ReaderConfigurationBlock1& block) const;
    ProtocolCommandResult GetConfigurationBlock2(ReaderConfigurationBlock2& block) const;
    ProtocolCommandResult GetConfigurationBlock3(ReaderConfigurationBlock3& block) const;
    ProtocolCommandResult GetConfigurationBlock4(ReaderConfigurationBlock4& block) const;
    ProtocolCommandResult GetConfigurationBlock5(ReaderConfigurationBlock5& block) const;
    ProtocolCommandResult SetConfigurationBlock1(unsigned char configuration,
                                                 const ReaderConfigurationBlock1& block) const;
    ProtocolCommandResult SetConfigurationBlock2(unsigned char configuration,
                                                 const ReaderConfigurationBlock2& block) const;
    ProtocolCommandResult SetConfigurationBlock3(unsigned char configuration,
                                                 const ReaderConfigurationBlock3& block) const;
    ProtocolCommandResult SetConfigurationBlock4(unsigned char configuration,
                                                 const ReaderConfigurationBlock4& block) const;
    ProtocolCommandResult SetConfigurationBlock5(unsigned char configuration,
                                                 const ReaderConfigurationBlock5& block) const;
    // The caller's configuration is written only when all five blocks were read.
    ProtocolCommandResult GetConfiguration(unsigned char configuration, ReaderConfiguration& readerConfiguration) const;
    ProtocolCommandResult SetConfiguration(unsigned char configuration,
                                           const ReaderConfiguration& readerConfiguration) const;
    ProtocolCommandResult WriteConfiguration(unsigned char writeLuidToFlash) const;
    ProtocolCommandResult LoadStoredDefaults() const;
    ProtocolCommandResult CopyConfiguration(ConfigurationLocation source, ConfigurationLocation destination,
                                            unsigned char third, unsigned char fourth) const;
    ProtocolCommandResult GetExtendedConfiguration(TavCommon::ExtendedConfiguration& configuration) const;
    ProtocolCommandResult SetExtendedConfiguration(const TavCommon::ExtendedConfiguration& configuration,
                                                   const TavCommon::HashData& hashData) const;

    // Beeper, baud rate and modules.
    ProtocolCommandResult Beep(unsigned char count, BEEP_DURATION duration) const;
    ProtocolCommandResult GetBeeperVolume(BeepVolume& volume) const;
    ProtocolCommandResult SetBeeperVolume(BeepVolume volume) const;
    ProtocolCommandResult GetBaudRate(SerialReaderBaudRate& baudRate) const;
    // Changes the reader's line speed only: the host's port keeps the speed it was opened with.
    ProtocolCommandResult SetBaudRate(SerialReaderBaudRate baudRate) const;
    // Reads (action Read) or sets (action Set) a module's state: state is read on entry and
    // written back with the reader's answer on success.
    ProtocolCommandResult ConfigureModuleState(ReaderModuleAction action, ReaderModuleId module,
                                               ReaderModuleState& state) const;
    ProtocolCommandResult EnableTransparentMode(bool enable) const;

    // BLE and blobs. A blob read replaces data with every 4-byte piece whole.
    ProtocolCommandResult GetBleConfiguration(BleConfiguration& configuration) const;
    ProtocolCommandResult SetBleConfiguration(const BleConfiguration& configuration) const;
    ProtocolCommandResult GetBlob(const TavCommon::BlobHeader& header, std::vector<unsigned char>& data) const;
    ProtocolCommandResult SetBlob(const TavCommon::BlobHeader& header, const std::vector<unsigned char>& data) const;
    ProtocolCommandResult GetBleBlob(TavCommon::BleDataType dataType, std::vector<unsigned char>& data) const;
    ProtocolCommandResult SetBleBlob(TavCommon::BleDataType dataType, const std::vector<unsigned char>& data) const;

    // MIFARE writer.
    ProtocolCommandResult GetMifareWriterStatus(MifareWriterStatus& status) const;
    ProtocolCommandResult MifareWriterCreateAid(const MifareWriterAidInformation& aidInformation) const;
    ProtocolCommandResult MifareWriterFormatCard() const;
    ProtocolCommandResult MifareWriterChangeKey(const MifareWriterKeyInformation& keyInformation) const;
    ProtocolCommandResult MifareWriterCreateFile(const MifareWriterFileInformation& fileInformation) const;

    // Firmware upgrade and bootloader.
    ProtocolCommandResult EnableBootloaderMode(BootloaderModule module) const;
    // Feeds the firmware file at path to the bootloader; a null path is recorded as a standard
    // exception and sends nothing.
    ProtocolCommandResult UpgradeFirmware(const char* path) const;

    // Device identity and the raw transport.
    ProtocolCommandResult GetDeviceId(TavCommon::DeviceId& deviceId) const;
    // Sends the payload's bytes as they are, outside any command.
    ProtocolCommandResult Transmit(TavTransport::TransportPayload& payload) const;
    // Reads up to the payload's length into its byte vector, outside any command.
    ProtocolCommandResult Receive(TavTransport::TransportPayload& payload) const;
    // The protocol type of the definition the transport was opened with; Invalid once the facade
    // has been destroyed. No exchange, and no refusal.
    TavCommon::ProtocolType GetTransportProtocolType() const;

    // The library itself; no reader, no lock.
    static ProtocolCommandResult GetLibraryInfo(Tav::LibraryInfo& info);
    // That record as thirteen "Name: value" lines into buffer, which must hold the text and its NUL.
    static ProtocolCommandResult GetLibraryInfoAsString(char* buffer, unsigned long size);
    // The protocol types a reader definition may name: 1, 2, 3 and 254.
    static ProtocolCommandResult GetSupportedProtocols(std::vector<unsigned char>& protocols);

private:
    // The frame every operation shares: the facade's lock for the whole operation, the two guards,
    // the trace line, then the work inside RunCheckedFacadeFunction.
    template <typename Work>
    ProtocolCommandResult RunOperation(std::string_view name, Work& work) const;
    // The same frame, its failures recorded alike, without RunCheckedFacadeFunction's closing line.
    template <typename Work>
    ProtocolCommandResult RunOperationWithoutClosingLine(std::string_view name, Work& work) const;
    // Both frames; run is RunCheckedFacadeFunction or its twin without the closing line.
    template <typename Work>
    ProtocolCommandResult RunInFrame(std::string_view name, Work& work,
                                     ProtocolCommandResult (*run)(const std::function<void()>&)) const;
    // An operation that runs one visitor made from the arguments.
    template <typename Visitor, typename... Arguments>
    ProtocolCommandResult RunVisitor(std::string_view name, const Arguments&... arguments) const;
    // The same, with the visitor's result handed to result.
    template <typename Visitor, typename Result, typename... Arguments>
    ProtocolCommandResult RunVisitorForResult(std::string_view name, Result& result,
                                              const Arguments&... arguments) const;
    // A SAM firmware read: the visitor for the SAM's selector, then that SAM's reading of it.
    template <typename Version>
    ProtocolCommandResult ReadSamFirmwareVersion(std::string_view name, uint8_t selector, Version& version,
                                                 Version (GetSamFirmwareVersionVisitor::*read)() const) const;
    // The range checks of a whole-configuration or block write, run before its first phrase; an
    // MFP24 reader refuses the selection first instead.
    template <typename... Blocks>
    void CheckConfigurationWrite(unsigned char configuration, const Blocks&... blocks) const;
    // A block write: the checks, the selection of the configuration, then the block.
    template <typename Visitor, typename Block>
    ProtocolCommandResult SelectAndWriteBlock(std::string_view name, unsigned char configuration,
                                              const Block& block) const;
    // Hands a visitor to the protocol object with the facade's transport.
    void Accept(CommandVisitor& visitor) const;

    std::unique_ptr<Protocol> protocol_;
    std::unique_ptr<TavTransport::Transport> transport_;
    mutable std::mutex mutex_;
    std::atomic<bool> beingDestroyed_{false};
};

// Runs one operation's work and turns whatever it throws into the result record; an all-zero
// record is success.
ProtocolCommandResult RunCheckedFacadeFunction(const std::function<void()>& work);

// The all-zero record: success.
ProtocolCommandResult ZeroResult() noexcept;

// The record of the exception being handled, filled as RunCheckedFacadeFunction fills it; for
// callers that must turn an exception into a record outside an operation's work. Call it only
// inside a catch block.
ProtocolCommandResult RecordCurrentException() noexcept;

// CreateInstance's record of the exception being handled: the library's own exceptions fill it as
// RecordCurrentException does; any other writes the flag, its type and "Failed to create protocol
// instance: " with its text, and leaves the caller's File, Line and Function. Call it only inside
// a catch block.
void RecordCreationFailure(ProtocolCommandResult& result) noexcept;

// The record of an argument the protocol library refuses before any work: type "InvalidArgument".
ProtocolCommandResult MakeInvalidArgumentResult(std::string_view message, std::string_view file, int32_t line,
                                                std::string_view function);

}  // namespace TavProtocol
