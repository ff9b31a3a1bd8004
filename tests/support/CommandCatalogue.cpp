#include "support/CommandCatalogue.h"

#include <array>
#include <memory>
#include <sstream>
#include <vector>

#include "featureReport/BeepWithFeatureReportProtocol.h"
#include "featureReport/ConfigureModuleStateWithFeatureReportProtocol.h"
#include "featureReport/CopyConfigurationWithFeatureReportProtocol.h"
#include "featureReport/EnableBootloaderModeWithFeatureReportProtocol.h"
#include "featureReport/EnableTransparentModeWithFeatureReportProtocol.h"
#include "featureReport/GetActiveConfigurationWithFeatureReportProtocol.h"
#include "featureReport/GetBeeperVolumeWithFeatureReportProtocol.h"
#include "featureReport/GetBleBlobWithFeatureReportProtocol.h"
#include "featureReport/GetBleConfigurationWithFeatureReportProtocol.h"
#include "featureReport/GetBlobWithFeatureReportProtocol.h"
#include "featureReport/GetBluetoothFirmwareVersionWithFeatureReportProtocol.h"
#include "featureReport/GetCardAnalyzerDataWithFeatureReportProtocol.h"
#include "featureReport/GetCardAnalyzerStatusWithFeatureReportProtocol.h"
#include "featureReport/GetCardBitCountWithFeatureReportProtocol.h"
#include "featureReport/GetCardDataWithFeatureReportProtocol.h"
#include "featureReport/GetConfigurationBlock1WithFeatureReportProtocol.h"
#include "featureReport/GetConfigurationBlock2WithFeatureReportProtocol.h"
#include "featureReport/GetConfigurationBlock3WithFeatureReportProtocol.h"
#include "featureReport/GetConfigurationBlock4WithFeatureReportProtocol.h"
#include "featureReport/GetConfigurationBlock5WithFeatureReportProtocol.h"
#include "featureReport/GetControlFirmwareVersionWithFeatureReportProtocol.h"
#include "featureReport/GetESNWithFeatureReportProtocol.h"
#include "featureReport/GetExtendedConfigurationWithFeatureReportProtocol.h"
#include "featureReport/GetInstalledHardwareWithFeatureReportProtocol.h"
#include "featureReport/GetLuidWithFeatureReportProtocol.h"
#include "featureReport/GetMifareWriterStatusWithFeatureReportProtocol.h"
#include "featureReport/GetPartNumberWithFeatureReportProtocol.h"
#include "featureReport/GetQueuedIdWithFeatureReportProtocol.h"
#include "featureReport/GetRadioFirmwareVersionWithFeatureReportProtocol.h"
#include "featureReport/GetSamFirmwareVersionWithFeatureReportProtocol.h"
#include "featureReport/GetStringWithFeatureReportProtocol.h"
#include "featureReport/GetSupportedCardsWithFeatureReportProtocol.h"
#include "featureReport/GetSystemUptimeWithFeatureReportProtocol.h"
#include "featureReport/GetTransparentModeStatusWithFeatureReportProtocol.h"
#include "featureReport/LoadStoredDefaultsWithFeatureReportProtocol.h"
#include "featureReport/MifareWriterChangeKeyWithFeatureReportProtocol.h"
#include "featureReport/MifareWriterCreateAidWithFeatureReportProtocol.h"
#include "featureReport/MifareWriterCreateFileWithFeatureReportProtocol.h"
#include "featureReport/MifareWriterFormatCardWithFeatureReportProtocol.h"
#include "featureReport/SetActiveConfigurationWithFeatureReportProtocol.h"
#include "featureReport/SetBeeperVolumeWithFeatureReportProtocol.h"
#include "featureReport/SetBleBlobWithFeatureReportProtocol.h"
#include "featureReport/SetBleConfigurationWithFeatureReportProtocol.h"
#include "featureReport/SetBlobWithFeatureReportProtocol.h"
#include "featureReport/SetCardAnalyzerControlWithFeatureReportProtocol.h"
#include "featureReport/SetConfigurationBlock1WithFeatureReportProtocol.h"
#include "featureReport/SetConfigurationBlock2WithFeatureReportProtocol.h"
#include "featureReport/SetConfigurationBlock3WithFeatureReportProtocol.h"
#include "featureReport/SetConfigurationBlock4WithFeatureReportProtocol.h"
#include "featureReport/SetConfigurationBlock5WithFeatureReportProtocol.h"
#include "featureReport/SetExtendedConfigurationWithFeatureReportProtocol.h"
#include "featureReport/SetLuidWithFeatureReportProtocol.h"
#include "featureReport/UpgradeFirmwareWithFeatureReportProtocol.h"
#include "featureReport/WriteConfigurationWithFeatureReportProtocol.h"
#include "mfp24/BeepWithMfp24Protocol.h"
#include "mfp24/CopyConfigurationWithMfp24Protocol.h"
#include "mfp24/GetBluetoothFirmwareVersionWithMfp24Protocol.h"
#include "mfp24/GetInstalledHardwareWithMfp24Protocol.h"
#include "mfp24/GetPartNumberWithMfp24Protocol.h"
#include "mfp24/GetSupportedCardsWithMfp24Protocol.h"
#include "mfp24/SetBeeperVolumeWithMfp24Protocol.h"
#include "serialBinary/BeepWithSerialBinaryProtocol.h"
#include "serialBinary/CopyConfigurationWithSerialBinaryProtocol.h"
#include "serialBinary/GetActiveConfigurationWithSerialBinaryProtocol.h"
#include "serialBinary/GetBaudRateWithSerialBinaryProtocol.h"
#include "serialBinary/GetBeeperVolumeWithSerialBinaryProtocol.h"
#include "serialBinary/GetCardAnalyzerDataWithSerialBinaryProtocol.h"
#include "serialBinary/GetCardAnalyzerStatusWithSerialBinaryProtocol.h"
#include "serialBinary/GetCardDataWithSerialBinaryProtocol.h"
#include "serialBinary/GetConfigurationBlock1WithSerialBinaryProtocol.h"
#include "serialBinary/GetConfigurationBlock2WithSerialBinaryProtocol.h"
#include "serialBinary/GetConfigurationBlock3WithSerialBinaryProtocol.h"
#include "serialBinary/GetConfigurationBlock4WithSerialBinaryProtocol.h"
#include "serialBinary/GetConfigurationBlock5WithSerialBinaryProtocol.h"
#include "serialBinary/GetControlFirmwareVersionWithSerialBinaryProtocol.h"
#include "serialBinary/GetESNWithSerialBinaryProtocol.h"
#include "serialBinary/GetExtendedConfigurationWithSerialBinaryProtocol.h"
#include "serialBinary/GetInstalledHardwareWithSerialBinaryProtocol.h"
#include "serialBinary/GetLuidWithSerialBinaryProtocol.h"
#include "serialBinary/GetPartNumberWithSerialBinaryProtocol.h"
#include "serialBinary/GetQueuedIdWithSerialBinaryProtocol.h"
#include "serialBinary/GetRadioFirmwareVersionWithSerialBinaryProtocol.h"
#include "serialBinary/GetStringWithSerialBinaryProtocol.h"
#include "serialBinary/GetSupportedCardsWithSerialBinaryProtocol.h"
#include "serialBinary/GetSystemUptimeWithSerialBinaryProtocol.h"
#include "serialBinary/LoadStoredDefaultsWithSerialBinaryProtocol.h"
#include "serialBinary/SetActiveConfigurationWithSerialBinaryProtocol.h"
#include "serialBinary/SetBaudRateWithSerialBinaryProtocol.h"
#include "serialBinary/SetBeeperVolumeWithSerialBinaryProtocol.h"
#include "serialBinary/SetCardAnalyzerControlWithSerialBinaryProtocol.h"
#include "serialBinary/SetConfigurationBlock1WithSerialBinaryProtocol.h"
#include "serialBinary/SetConfigurationBlock2WithSerialBinaryProtocol.h"
#include "serialBinary/SetConfigurationBlock3WithSerialBinaryProtocol.h"
#include "serialBinary/SetConfigurationBlock4WithSerialBinaryProtocol.h"
#include "serialBinary/SetConfigurationBlock5WithSerialBinaryProtocol.h"
#include "serialBinary/SetExtendedConfigurationWithSerialBinaryProtocol.h"
#include "serialBinary/SetLuidWithSerialBinaryProtocol.h"
#include "serialBinary/WriteConfigurationWithSerialBinaryProtocol.h"
#include "common/TimeDelay.h"

namespace TavTest {

namespace {

using namespace TavProtocol;
using TavTransport::Transport;

// Waits that return at once: neither a fuzz run nor a test sleeps.
class NoWait : public TavCommon::TimeDelay {
public:
    void DelayMilliseconds(int) override {}
    void DelaySeconds(int) override {}
};

std::unique_ptr<TavCommon::TimeDelay> Instant() { return std::make_unique<NoWait>(); }

template <typename Command, typename... Reads>
void Exchange(Command& command, Transport& transport, const StepRunner& step, Reads... reads) {
    step([&] { command.Execute(transport); });
    (step([&] { reads(command); }), ...);
}

const auto kValidate = [](auto& command) { command.ValidateResponse(); };
const auto kResult = [](auto& command) { command.GetResult(); };
const auto kParse = [](auto& command) { command.ParseResult(); };

// The blob every blob row reads or writes: type 1, `length` data bytes.
TavCommon::BlobHeader Blob(uint16_t length) {
    return TavCommon::BlobHeader{.BlobType = 1, .HeaderByte1 = 0, .DataLength = length, .HeaderByte4 = 0};
}

// A one-record firmware image the bootloader accepts.
std::istringstream& FirmwareImage() {
    thread_local std::istringstream image;
    image.clear();
    image.str(":0400000001020304F2\n");
    return image;
}

constexpr std::array<uint8_t, 16> kNoHash{};

// The only copies an MFP24 reader knows (source in the low byte): defaults, stored and working
// configuration to working, working to stored. Others are refused before any phrase.
constexpr uint16_t kMfp24CopyPairs[] = {0x0002, 0x0001, 0x0100};

}  // namespace

// The class is named once: the row's text is made from it.
#define TAV_COMMAND(protocol, Class, construction, ...)                                                 \
    CommandEntry {                                                                                       \
        #Class, Wire::protocol, [](Transport& transport, uint8_t argument, const StepRunner& step) { \
            [[maybe_unused]] const uint8_t arg = argument;                                               \
            Class command construction;                                                                  \
            Exchange(command, transport, step __VA_OPT__(, ) __VA_ARGS__);                               \
        }                                                                                                \
    }

std::span<const CommandEntry> CommandCatalogue() {
    static const CommandEntry kCatalogue[] = {
        // Feature report.
        TAV_COMMAND(FeatureReport, BeepWithFeatureReportProtocol, (arg % 4u + 1u, 0)),
        TAV_COMMAND(FeatureReport, ConfigureModuleStateWithFeatureReportProtocol,
                    (ReaderModuleAction{static_cast<uint8_t>(arg + 1u)}, ReaderModuleId{1}, ReaderModuleState{1}),
                    kValidate, kResult),
        TAV_COMMAND(FeatureReport, CopyConfigurationWithFeatureReportProtocol,
                    (ConfigurationLocation{arg}, ConfigurationLocation::Ram, 0, 0), kValidate),
        TAV_COMMAND(FeatureReport, EnableBootloaderModeWithFeatureReportProtocol, (BootloaderModule{arg}, Instant()),
                    kParse),
        TAV_COMMAND(FeatureReport, EnableTransparentModeWithFeatureReportProtocol, (arg), kValidate),
        TAV_COMMAND(FeatureReport, GetActiveConfigurationWithFeatureReportProtocol, , kValidate, kResult),
        TAV_COMMAND(FeatureReport, GetBeeperVolumeWithFeatureReportProtocol, , kResult),
        TAV_COMMAND(FeatureReport, GetBleBlobWithFeatureReportProtocol,
                    (arg % 2 ? TavCommon::BleDataType::Key : TavCommon::BleDataType::Data, 10, 3, Instant()),
                    kValidate),
        TAV_COMMAND(FeatureReport, GetBleConfigurationWithFeatureReportProtocol, , kValidate, kResult),
        TAV_COMMAND(FeatureReport, GetBlobWithFeatureReportProtocol, (Blob(arg + 4u), (arg + 7) / 4), kValidate, kResult),
        TAV_COMMAND(FeatureReport, GetBluetoothFirmwareVersionWithFeatureReportProtocol,
                    (FirmwareVersionModuleType{arg}), kResult),
        TAV_COMMAND(FeatureReport, GetCardAnalyzerDataWithFeatureReportProtocol, (arg % 8 + 1, {}), kValidate,
                    kResult),
        TAV_COMMAND(FeatureReport, GetCardAnalyzerStatusWithFeatureReportProtocol, , kResult),
        TAV_COMMAND(FeatureReport, GetCardBitCountWithFeatureReportProtocol, , kResult),
        TAV_COMMAND(FeatureReport, GetCardDataWithFeatureReportProtocol,
                    (GetCardDataSizeParameters{static_cast<uint8_t>(arg % 2 + 1)}), kResult),
        TAV_COMMAND(FeatureReport, GetConfigurationBlock1WithFeatureReportProtocol, , kResult),
        TAV_COMMAND(FeatureReport, GetConfigurationBlock2WithFeatureReportProtocol, , kResult),
        TAV_COMMAND(FeatureReport, GetConfigurationBlock3WithFeatureReportProtocol, , kResult),
        TAV_COMMAND(FeatureReport, GetConfigurationBlock4WithFeatureReportProtocol, , kResult),
        TAV_COMMAND(FeatureReport, GetConfigurationBlock5WithFeatureReportProtocol, , kResult),
        TAV_COMMAND(FeatureReport, GetControlFirmwareVersionWithFeatureReportProtocol,
                    (FirmwareVersionModuleType{arg}), kResult),
        TAV_COMMAND(FeatureReport, GetESNWithFeatureReportProtocol, , kResult),
        TAV_COMMAND(FeatureReport, GetExtendedConfigurationWithFeatureReportProtocol, , kValidate, kResult),
        TAV_COMMAND(FeatureReport, GetInstalledHardwareWithFeatureReportProtocol, , kResult),
        TAV_COMMAND(FeatureReport, GetLuidWithFeatureReportProtocol, , kValidate, kResult),
        TAV_COMMAND(FeatureReport, GetMifareWriterStatusWithFeatureReportProtocol, , kValidate, kResult),
        TAV_COMMAND(FeatureReport, GetPartNumberWithFeatureReportProtocol, , kResult),
        TAV_COMMAND(FeatureReport, GetQueuedIdWithFeatureReportProtocol, (arg), kResult),
        TAV_COMMAND(FeatureReport, GetRadioFirmwareVersionWithFeatureReportProtocol, (FirmwareVersionModuleType{arg}),
                    kResult),
        TAV_COMMAND(FeatureReport, GetSamFirmwareVersionWithFeatureReportProtocol, (arg),
                    [](auto& c) { c.GetFelicaSamFirmwareVersion(); }, [](auto& c) { c.GetNxpSamFirmwareVersion(); },
                    [](auto& c) { c.GetHidSeSamFirmwareVersion(); }),
        TAV_COMMAND(FeatureReport, GetStringWithFeatureReportProtocol, (GetStringIndex{static_cast<uint8_t>(arg + 1u)}),
                    kValidate, kResult),
        TAV_COMMAND(FeatureReport, GetSupportedCardsWithFeatureReportProtocol, , kResult),
        TAV_COMMAND(FeatureReport, GetSystemUptimeWithFeatureReportProtocol, , kResult),
        TAV_COMMAND(FeatureReport, GetTransparentModeStatusWithFeatureReportProtocol, , kValidate, kResult),
        TAV_COMMAND(FeatureReport, LoadStoredDefaultsWithFeatureReportProtocol, ),
        TAV_COMMAND(FeatureReport, MifareWriterChangeKeyWithFeatureReportProtocol, ({}), kValidate),
        TAV_COMMAND(FeatureReport, MifareWriterCreateAidWithFeatureReportProtocol, ({}), kValidate),
        TAV_COMMAND(FeatureReport, MifareWriterCreateFileWithFeatureReportProtocol, ({}), kValidate),
        TAV_COMMAND(FeatureReport, MifareWriterFormatCardWithFeatureReportProtocol, , kValidate),
        TAV_COMMAND(FeatureReport, SetActiveConfigurationWithFeatureReportProtocol, (arg), kValidate, kParse),
        TAV_COMMAND(FeatureReport, SetBeeperVolumeWithFeatureReportProtocol, (BeepVolume{arg}), kValidate),
        TAV_COMMAND(FeatureReport, SetBleBlobWithFeatureReportProtocol,
                    (arg % 2 ? TavCommon::BleDataType::Key : TavCommon::BleDataType::Data,
                     std::vector<uint8_t>(arg % 2 ? 128 : 384, arg), 10, 3, Instant())),
        TAV_COMMAND(FeatureReport, SetBleConfigurationWithFeatureReportProtocol, ({}), kValidate),
        TAV_COMMAND(FeatureReport, SetBlobWithFeatureReportProtocol, (Blob(arg), std::vector<uint8_t>(arg, 0x5A)),
                    kValidate),
        TAV_COMMAND(FeatureReport, SetCardAnalyzerControlWithFeatureReportProtocol, (CardAnalyzerControlParameter{arg}),
                    kValidate),
        TAV_COMMAND(FeatureReport, SetConfigurationBlock1WithFeatureReportProtocol, ({})),
        TAV_COMMAND(FeatureReport, SetConfigurationBlock2WithFeatureReportProtocol, ({})),
        TAV_COMMAND(FeatureReport, SetConfigurationBlock3WithFeatureReportProtocol, ({})),
        TAV_COMMAND(FeatureReport, SetConfigurationBlock4WithFeatureReportProtocol, ({})),
        TAV_COMMAND(FeatureReport, SetConfigurationBlock5WithFeatureReportProtocol, ({})),
        TAV_COMMAND(FeatureReport, SetExtendedConfigurationWithFeatureReportProtocol,
                    (std::vector<uint8_t>(128, arg), kNoHash, kNoHash, 0, 0, 16)),
        TAV_COMMAND(FeatureReport, SetLuidWithFeatureReportProtocol, (static_cast<uint16_t>(arg * 257u))),
        TAV_COMMAND(FeatureReport, UpgradeFirmwareWithFeatureReportProtocol, (&FirmwareImage(), Instant())),
        TAV_COMMAND(FeatureReport, WriteConfigurationWithFeatureReportProtocol, ),

        // MFP24.
        TAV_COMMAND(Mfp24, BeepWithMfp24Protocol, (static_cast<uint16_t>(arg + 1u)), kValidate),
        TAV_COMMAND(Mfp24, CopyConfigurationWithMfp24Protocol, (kMfp24CopyPairs[arg % 3]), kValidate),
        TAV_COMMAND(Mfp24, GetBluetoothFirmwareVersionWithMfp24Protocol, (FirmwareVersionModuleType{arg}), kValidate,
                    kResult),
        TAV_COMMAND(Mfp24, GetInstalledHardwareWithMfp24Protocol, , kValidate, kResult),
        TAV_COMMAND(Mfp24, GetPartNumberWithMfp24Protocol, , kValidate, kResult),
        TAV_COMMAND(Mfp24, GetSupportedCardsWithMfp24Protocol, , kValidate, kResult),
        TAV_COMMAND(Mfp24, SetBeeperVolumeWithMfp24Protocol, (BeepVolume{arg}), kValidate),

        // Serial binary.
        TAV_COMMAND(SerialBinary, BeepWithSerialBinaryProtocol,
                    (static_cast<uint8_t>(arg % 4 + 1), BEEP_DURATION{static_cast<uint8_t>(arg % 2)}), kValidate),
        TAV_COMMAND(SerialBinary, CopyConfigurationWithSerialBinaryProtocol,
                    (ConfigurationLocation{arg}, ConfigurationLocation::Ram, 0, 0, Instant()), kValidate),
        TAV_COMMAND(SerialBinary, GetActiveConfigurationWithSerialBinaryProtocol, , kValidate, kResult),
        TAV_COMMAND(SerialBinary, GetBaudRateWithSerialBinaryProtocol, , kValidate, kResult),
        TAV_COMMAND(SerialBinary, GetBeeperVolumeWithSerialBinaryProtocol, , kValidate, kResult),
        TAV_COMMAND(SerialBinary, GetCardAnalyzerDataWithSerialBinaryProtocol, (arg % 8 + 1), kValidate, kResult),
        TAV_COMMAND(SerialBinary, GetCardAnalyzerStatusWithSerialBinaryProtocol, , kValidate, kResult),
        TAV_COMMAND(SerialBinary, GetCardDataWithSerialBinaryProtocol,
                    (GetCardDataSizeParameters{static_cast<uint8_t>(arg % 2 + 1)}), kValidate, kResult,
                    [](auto& c) { c.GetBitCount(); }),
        TAV_COMMAND(SerialBinary, GetConfigurationBlock1WithSerialBinaryProtocol, , kValidate, kResult),
        TAV_COMMAND(SerialBinary, GetConfigurationBlock2WithSerialBinaryProtocol, , kValidate, kResult),
        TAV_COMMAND(SerialBinary, GetConfigurationBlock3WithSerialBinaryProtocol, , kValidate, kResult),
        TAV_COMMAND(SerialBinary, GetConfigurationBlock4WithSerialBinaryProtocol, , kValidate, kResult),
        TAV_COMMAND(SerialBinary, GetConfigurationBlock5WithSerialBinaryProtocol, , kValidate, kResult),
        TAV_COMMAND(SerialBinary, GetControlFirmwareVersionWithSerialBinaryProtocol, (FirmwareVersionModuleType{arg}),
                    kValidate, kResult),
        TAV_COMMAND(SerialBinary, GetESNWithSerialBinaryProtocol, , kValidate, kResult),
        TAV_COMMAND(SerialBinary, GetExtendedConfigurationWithSerialBinaryProtocol, , kValidate, kResult),
        TAV_COMMAND(SerialBinary, GetInstalledHardwareWithSerialBinaryProtocol, , kValidate, kResult),
        TAV_COMMAND(SerialBinary, GetLuidWithSerialBinaryProtocol, , kValidate, kResult),
        TAV_COMMAND(SerialBinary, GetPartNumberWithSerialBinaryProtocol, , kValidate, kResult),
        TAV_COMMAND(SerialBinary, GetQueuedIdWithSerialBinaryProtocol, (arg), kValidate, kResult),
        TAV_COMMAND(SerialBinary, GetRadioFirmwareVersionWithSerialBinaryProtocol, (FirmwareVersionModuleType{arg}),
                    kValidate, kResult),
        TAV_COMMAND(SerialBinary, GetStringWithSerialBinaryProtocol, (GetStringIndex{static_cast<uint8_t>(arg + 1u)}),
                    kValidate, kResult),
        TAV_COMMAND(SerialBinary, GetSupportedCardsWithSerialBinaryProtocol, , kValidate, kResult),
        TAV_COMMAND(SerialBinary, GetSystemUptimeWithSerialBinaryProtocol, , kValidate, kResult),
        TAV_COMMAND(SerialBinary, LoadStoredDefaultsWithSerialBinaryProtocol, , kValidate),
        TAV_COMMAND(SerialBinary, SetActiveConfigurationWithSerialBinaryProtocol, (arg), kValidate),
        TAV_COMMAND(SerialBinary, SetBaudRateWithSerialBinaryProtocol, (SerialReaderBaudRate{arg}), kValidate),
        TAV_COMMAND(SerialBinary, SetBeeperVolumeWithSerialBinaryProtocol, (BeepVolume{arg}), kValidate),
        TAV_COMMAND(SerialBinary, SetCardAnalyzerControlWithSerialBinaryProtocol, (CardAnalyzerControlParameter{arg}),
                    kValidate),
        TAV_COMMAND(SerialBinary, SetConfigurationBlock1WithSerialBinaryProtocol, ({}), kValidate),
        TAV_COMMAND(SerialBinary, SetConfigurationBlock2WithSerialBinaryProtocol, ({}), kValidate),
        TAV_COMMAND(SerialBinary, SetConfigurationBlock3WithSerialBinaryProtocol, ({}), kValidate),
        TAV_COMMAND(SerialBinary, SetConfigurationBlock4WithSerialBinaryProtocol, ({}), kValidate),
        TAV_COMMAND(SerialBinary, SetConfigurationBlock5WithSerialBinaryProtocol, ({}), kValidate),
        TAV_COMMAND(SerialBinary, SetExtendedConfigurationWithSerialBinaryProtocol, ({}, {}), kValidate),
        TAV_COMMAND(SerialBinary, SetLuidWithSerialBinaryProtocol, (static_cast<uint16_t>(arg * 257u)), kValidate),
        TAV_COMMAND(SerialBinary, WriteConfigurationWithSerialBinaryProtocol, (arg % 2), kValidate),
    };
    return kCatalogue;
}

#undef TAV_COMMAND

}  // namespace TavTest
