#include "support/OperationCatalogue.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/BlobHeader.h"
#include "common/BluetoothFirmwareVersion.h"
#include "common/ExtendedConfiguration.h"
#include "common/FelicaSamFirmwareVersion.h"
#include "common/HashData.h"
#include "common/HidSeSamFirmwareVersion.h"
#include "common/MicrocontrollerFirmwareVersion.h"
#include "common/NxpSamFirmwareVersion.h"
#include "common/ReaderConfiguration.h"
#include "facade/ProtocolFacade.h"
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

namespace TavTest {

namespace {

using namespace TavProtocol;
using Facade = const ProtocolFacade&;

TavCommon::BlobHeader Blob(uint16_t length) {
    return TavCommon::BlobHeader{.BlobType = 1, .HeaderByte1 = 0, .DataLength = length, .HeaderByte4 = 0};
}

TavCommon::BleDataType BleType(uint8_t argument) {
    return argument % 2 ? TavCommon::BleDataType::Key : TavCommon::BleDataType::Data;
}

// An extended configuration in the reader's 16-record layout with nothing in it.
TavCommon::ExtendedConfiguration SomeExtendedConfiguration() {
    std::vector<uint8_t> image(128, 0x00);
    const uint8_t header[] = {0x14, 0x40, 0x20, 0x10};
    std::copy(std::begin(header), std::end(header), image.begin());
    return TavCommon::ExtendedConfiguration::FromVector(image);
}

// A one-record firmware file the bootloader accepts, written once and removed at exit.
class FirmwareFile {
public:
    FirmwareFile()
        : path_(std::filesystem::temp_directory_path() /
                ("tavelin-catalogue-" + std::to_string(::getpid()) + ".hex")) {
        std::ofstream(path_) << ":0400000001020304F2\n";
    }
    ~FirmwareFile() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    std::string Path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

}  // namespace

// The operation is named once: the row's text is made from it.
#define TAV_OPERATION(Operation, Visitor, ...)                                                   \
    OperationEntry {                                                                             \
        #Operation, Visitor, [](Facade facade, uint8_t argument) -> ProtocolCommandResult {      \
            [[maybe_unused]] const uint8_t arg = argument;                                       \
            __VA_ARGS__                                                                          \
        }                                                                                        \
    }

std::span<const OperationEntry> OperationCatalogue() {
    static const OperationEntry kCatalogue[] = {
        // Cards.
        TAV_OPERATION(GetSupportedCards, "GetSupportedCardsVisitor", std::vector<unsigned short> cards;
                      return facade.GetSupportedCards(cards);),
        TAV_OPERATION(GetCardData, "GetCardDataVisitor", std::array<unsigned char, 32> buffer{};
                      return facade.GetCardData(GetCardDataSizeParameters{static_cast<uint8_t>(arg % 2 + 1)},
                                                buffer.data(), buffer.size());),
        TAV_OPERATION(GetCardBitCount, "GetCardBitCountVisitor", unsigned char bits = 0;
                      return facade.GetCardBitCount(bits);),
        TAV_OPERATION(GetCardReadPayload, "GetCardReadPayloadVisitor", CardReadPayload payload{};
                      return facade.GetCardReadPayload(GetCardDataSizeParameters{static_cast<uint8_t>(arg % 2 + 1)},
                                                       payload);),
        TAV_OPERATION(GetQueuedId, "GetQueuedIdVisitor", QueuedIdInformation id{};
                      return facade.GetQueuedId(QueuedIdFlagParameters{}, id);),
        TAV_OPERATION(GetCardAnalyzerStatus, "GetCardAnalyzerStatusVisitor", CardAnalyzerStatus status{};
                      return facade.GetCardAnalyzerStatus(status);),
        TAV_OPERATION(SetCardAnalyzerControl, "SetCardAnalyzerControlVisitor",
                      return facade.SetCardAnalyzerControl(CardAnalyzerControlParameter{arg});),
        TAV_OPERATION(GetCardAnalyzerData, "GetCardAnalyzerDataVisitor", std::vector<CardAnalyzerData> records;
                      return facade.GetCardAnalyzerData(records, static_cast<unsigned char>(arg % 8 + 1));),

        // Identity and versions.
        TAV_OPERATION(GetESN, "GetESNVisitor", std::array<char, 64> text{};
                      return facade.GetESN(text.data(), text.size());),
        TAV_OPERATION(GetPartNumber, "GetPartNumberVisitor", std::array<char, 64> text{};
                      return facade.GetPartNumber(text.data(), text.size());),
        TAV_OPERATION(GetString, "GetStringVisitor", std::array<char, 256> text{};
                      return facade.GetString(text.data(), text.size(),
                                              GetStringIndex{static_cast<uint8_t>(arg % 4 + 1)});),
        TAV_OPERATION(GetControlFirmwareVersion, "GetControlFirmwareVersionVisitor",
                      MicrocontrollerFirmwareVersion version{};
                      return facade.GetControlFirmwareVersion(version, FirmwareVersionModuleType{arg});),
        TAV_OPERATION(GetRadioFirmwareVersion, "GetRadioFirmwareVersionVisitor", MicrocontrollerFirmwareVersion version{};
                      return facade.GetRadioFirmwareVersion(version, FirmwareVersionModuleType{arg});),
        TAV_OPERATION(GetBluetoothFirmwareVersion, "GetBluetoothFirmwareVersionVisitor",
                      BluetoothFirmwareVersion version{};
                      return facade.GetBluetoothFirmwareVersion(version, FirmwareVersionModuleType{arg});),
        TAV_OPERATION(GetNxpAvxSamFirmwareVersion, "GetSamFirmwareVersionVisitor", NxpSamFirmwareVersion version{};
                      return facade.GetNxpAvxSamFirmwareVersion(version);),
        TAV_OPERATION(GetHidSeSamFirmwareVersion, "GetSamFirmwareVersionVisitor", HidSeSamFirmwareVersion version{};
                      return facade.GetHidSeSamFirmwareVersion(version);),
        TAV_OPERATION(GetFelicaSamFirmwareVersion, "GetSamFirmwareVersionVisitor", FelicaSamFirmwareVersion version{};
                      return facade.GetFelicaSamFirmwareVersion(version);),
        TAV_OPERATION(GetInstalledHardware, "GetInstalledHardwareVisitor", InstalledHardwareInformation hardware{};
                      return facade.GetInstalledHardware(hardware);),
        TAV_OPERATION(GetSystemUptime, "GetSystemUptimeVisitor", unsigned int uptime = 0;
                      return facade.GetSystemUptime(uptime);),
        TAV_OPERATION(GetLuid, "GetLuidVisitor", LuidResponseInformation luid{}; return facade.GetLuid(luid);),
        TAV_OPERATION(SetLuid, "SetLuidVisitor", return facade.SetLuid(static_cast<unsigned short>(arg * 257u));),
        TAV_OPERATION(GetTransparentModeStatus, "GetTransparentModeStatusVisitor",
                      TransparentModeStatusInformation status{};
                      return facade.GetTransparentModeStatus(status);),

        // Configurations.
        TAV_OPERATION(SetActiveConfiguration, "SetActiveConfigurationVisitor",
                      return facade.SetActiveConfiguration(static_cast<unsigned char>(arg % 4));),
        TAV_OPERATION(GetActiveConfiguration, "GetActiveConfigurationVisitor", ActiveConfigurationInformation active{};
                      return facade.GetActiveConfiguration(active);),
        TAV_OPERATION(GetConfigurationBlock1, "GetConfigurationBlock1Visitor", ReaderConfigurationBlock1 block{};
                      return facade.GetConfigurationBlock1(block);),
        TAV_OPERATION(GetConfigurationBlock2, "GetConfigurationBlock2Visitor", ReaderConfigurationBlock2 block{};
                      return facade.GetConfigurationBlock2(block);),
        TAV_OPERATION(GetConfigurationBlock3, "GetConfigurationBlock3Visitor", ReaderConfigurationBlock3 block{};
                      return facade.GetConfigurationBlock3(block);),
        TAV_OPERATION(GetConfigurationBlock4, "GetConfigurationBlock4Visitor", ReaderConfigurationBlock4 block{};
                      return facade.GetConfigurationBlock4(block);),
        TAV_OPERATION(GetConfigurationBlock5, "GetConfigurationBlock5Visitor", ReaderConfigurationBlock5 block{};
                      return facade.GetConfigurationBlock5(block);),
        TAV_OPERATION(SetConfigurationBlock1, "SetConfigurationBlock1Visitor",
                      return facade.SetConfigurationBlock1(arg % 4, ReaderConfiguration{}.Block1);),
        TAV_OPERATION(SetConfigurationBlock2, "SetConfigurationBlock2Visitor",
                      return facade.SetConfigurationBlock2(arg % 4, ReaderConfiguration{}.Block2);),
        TAV_OPERATION(SetConfigurationBlock3, "SetConfigurationBlock3Visitor",
                      return facade.SetConfigurationBlock3(arg % 4, ReaderConfiguration{}.Block3);),
        TAV_OPERATION(SetConfigurationBlock4, "SetConfigurationBlock4Visitor",
                      return facade.SetConfigurationBlock4(arg % 4, ReaderConfiguration{}.Block4);),
        TAV_OPERATION(SetConfigurationBlock5, "SetConfigurationBlock5Visitor",
                      return facade.SetConfigurationBlock5(arg % 4, ReaderConfiguration{}.Block5);),
        TAV_OPERATION(GetConfiguration, "", ReaderConfiguration configuration{};
                      return facade.GetConfiguration(arg % 4, configuration);),
        TAV_OPERATION(SetConfiguration, "", return facade.SetConfiguration(arg % 4, ReaderConfiguration{});),
        TAV_OPERATION(WriteConfiguration, "WriteConfigurationVisitor", return facade.WriteConfiguration(arg % 2);),
        TAV_OPERATION(LoadStoredDefaults, "LoadStoredDefaultsVisitor", return facade.LoadStoredDefaults();),
        TAV_OPERATION(CopyConfiguration, "CopyConfigurationVisitor",
                      return facade.CopyConfiguration(ConfigurationLocation{static_cast<uint8_t>(arg % 2 ? 1 : 2)},
                                                      ConfigurationLocation::Ram, 0, 0);),
        TAV_OPERATION(GetExtendedConfiguration, "GetExtendedConfigurationVisitor",
                      TavCommon::ExtendedConfiguration configuration{};
                      return facade.GetExtendedConfiguration(configuration);),
        TAV_OPERATION(SetExtendedConfiguration, "SetExtendedConfigurationVisitor",
                      return facade.SetExtendedConfiguration(SomeExtendedConfiguration(), TavCommon::HashData{});),

        // Beeper, baud rate and modules.
        TAV_OPERATION(Beep, "BeepVisitor",
                      return facade.Beep(static_cast<unsigned char>(arg % 4 + 1), BEEP_DURATION{static_cast<uint8_t>(arg % 2)});),
        TAV_OPERATION(GetBeeperVolume, "GetBeeperVolumeVisitor", BeepVolume volume{};
                      return facade.GetBeeperVolume(volume);),
        TAV_OPERATION(SetBeeperVolume, "SetBeeperVolumeVisitor",
                      return facade.SetBeeperVolume(BeepVolume{static_cast<uint8_t>(arg % 4)});),
        TAV_OPERATION(GetBaudRate, "GetBaudRateVisitor", SerialReaderBaudRate rate{}; return facade.GetBaudRate(rate);),
        TAV_OPERATION(SetBaudRate, "SetBaudRateVisitor",
                      return facade.SetBaudRate(SerialReaderBaudRate{static_cast<uint8_t>(arg % 5)});),
        TAV_OPERATION(ConfigureModuleState, "ConfigureModuleStateVisitor", ReaderModuleState state{1};
                      return facade.ConfigureModuleState(ReaderModuleAction{static_cast<uint8_t>(arg % 2 + 1)},
                                                         ReaderModuleId{1}, state);),
        TAV_OPERATION(EnableTransparentMode, "EnableTransparentModeVisitor",
                      return facade.EnableTransparentMode(arg % 2 == 0);),

        // BLE and blobs.
        TAV_OPERATION(GetBleConfiguration, "GetBleConfigurationVisitor", BleConfiguration configuration{};
                      return facade.GetBleConfiguration(configuration);),
        TAV_OPERATION(SetBleConfiguration, "SetBleConfigurationVisitor",
                      return facade.SetBleConfiguration(BleConfiguration{.Flags = 0, .TapInRssi = -30, .TxPower = 0});),
        TAV_OPERATION(GetBlob, "GetBlobVisitor", std::vector<unsigned char> data;
                      return facade.GetBlob(Blob(static_cast<uint16_t>(arg + 4u)), data);),
        TAV_OPERATION(SetBlob, "SetBlobVisitor",
                      return facade.SetBlob(Blob(static_cast<uint16_t>(arg + 4u)),
                                            std::vector<unsigned char>(arg + 4u, 0x5A));),
        TAV_OPERATION(GetBleBlob, "GetBleBlobVisitor", std::vector<unsigned char> data;
                      return facade.GetBleBlob(BleType(arg), data);),
        TAV_OPERATION(SetBleBlob, "SetBleBlobVisitor",
                      return facade.SetBleBlob(BleType(arg), std::vector<unsigned char>(arg % 2 ? 128 : 384, arg));),

        // MIFARE writer.
        TAV_OPERATION(GetMifareWriterStatus, "GetMifareWriterStatusVisitor", MifareWriterStatus status{};
                      return facade.GetMifareWriterStatus(status);),
        TAV_OPERATION(MifareWriterCreateAid, "MifareWriterCreateAidVisitor",
                      return facade.MifareWriterCreateAid(MifareWriterAidInformation{.Aid = 0x123456, .KeyType = 4});),
        TAV_OPERATION(MifareWriterFormatCard, "MifareWriterFormatCardVisitor", return facade.MifareWriterFormatCard();),
        TAV_OPERATION(MifareWriterChangeKey, "MifareWriterChangeKeyVisitor",
                      return facade.MifareWriterChangeKey(MifareWriterKeyInformation{});),
        TAV_OPERATION(MifareWriterCreateFile, "MifareWriterCreateFileVisitor",
                      return facade.MifareWriterCreateFile(MifareWriterFileInformation{.FileLength = static_cast<uint8_t>(arg % 128 + 1)});),

        // Firmware upgrade and bootloader.
        TAV_OPERATION(EnableBootloaderMode, "EnableBootloaderModeVisitor",
                      return facade.EnableBootloaderMode(BootloaderModule{arg});),
        // As a host runs it: the bootloader entered, then the file fed to it.
        TAV_OPERATION(UpgradeFirmware, "UpgradeFirmwareVisitor", static const FirmwareFile file;
                      if (auto entered = facade.EnableBootloaderMode(BootloaderModule{0}); entered.HasException) {
                          return entered;
                      } return facade.UpgradeFirmware(file.Path().c_str());),
    };
    return kCatalogue;
}

#undef TAV_OPERATION

}  // namespace TavTest
