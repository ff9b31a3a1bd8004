// Whatever a feature-report reader answers, every command's checks and decoders either accept it
// or fail with the library's own exception; none reads past a reply, and none exchanges for ever.
// Input: a command selector, an argument byte, then the replies, each a length byte and its bytes.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "featureReport/ConfigureModuleStateWithFeatureReportProtocol.h"
#include "featureReport/CopyConfigurationWithFeatureReportProtocol.h"
#include "featureReport/EnableBootloaderModeWithFeatureReportProtocol.h"
#include "featureReport/EnableTransparentModeWithFeatureReportProtocol.h"
#include "FuzzReplyTransport.h"
#include "featureReport/GetActiveConfigurationWithFeatureReportProtocol.h"
#include "featureReport/GetBeeperVolumeWithFeatureReportProtocol.h"
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
#include "featureReport/GetPartNumberWithFeatureReportProtocol.h"
#include "featureReport/GetQueuedIdWithFeatureReportProtocol.h"
#include "featureReport/GetRadioFirmwareVersionWithFeatureReportProtocol.h"
#include "featureReport/GetSamFirmwareVersionWithFeatureReportProtocol.h"
#include "featureReport/GetStringWithFeatureReportProtocol.h"
#include "featureReport/GetSupportedCardsWithFeatureReportProtocol.h"
#include "featureReport/GetSystemUptimeWithFeatureReportProtocol.h"
#include "featureReport/GetTransparentModeStatusWithFeatureReportProtocol.h"
#include "featureReport/SetActiveConfigurationWithFeatureReportProtocol.h"
#include "featureReport/SetBeeperVolumeWithFeatureReportProtocol.h"
#include "featureReport/SetBlobWithFeatureReportProtocol.h"
#include "featureReport/SetCardAnalyzerControlWithFeatureReportProtocol.h"
#include "Tavelin/ElvarinException.h"

namespace {

using namespace TavProtocol;

// A reader that answers from the fuzz input, and with nothing once the input is used up.
class ReplayTransport : public TavTransport::Transport {
public:
    explicit ReplayTransport(std::span<const uint8_t> replies)
        : Transport(TavCommon::ReaderDefinition{}), replies_(replies) {}

    void init(uint32_t) override {}
    void transmit(TavTransport::TransportPayload&) override {}
    std::vector<uint8_t> receive(TavTransport::TransportPayload&) override { return replies_.Next(); }

private:
    TavFuzz::ReplyFeed replies_;
};

// Runs the exchange, then each check and decoder on its own, so that one failing does not hide
// what the others would read.
template <typename Command>
void Run(Command& command, TavTransport::Transport& transport, std::initializer_list<std::function<void()>> reads) {
    try {
        command.Execute(transport);
    } catch (const ElvarinException&) {
    }
    for (const auto& read : reads) {
        try {
            read();
        } catch (const ElvarinException&) {
        }
    }
}

template <typename Command>
void RunResult(Command command, TavTransport::Transport& transport) {
    Run(command, transport, {[&] { command.GetResult(); }});
}

template <typename Command>
void RunChecked(Command command, TavTransport::Transport& transport) {
    Run(command, transport, {[&] { command.ValidateResponse(); }, [&] { command.GetResult(); }});
}

template <typename Command>
void RunValidated(Command command, TavTransport::Transport& transport) {
    Run(command, transport, {[&] { command.ValidateResponse(); }});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const uint8_t selector = data[0];
    const uint8_t argument = data[1];
    ReplayTransport transport(std::span<const uint8_t>(data + 2, size - 2));
    const TavCommon::BlobHeader header{.BlobType = 1, .HeaderByte1 = 0, .DataLength = argument, .HeaderByte4 = 0};

    switch (selector % 34) {
    case 0:
        RunResult(GetCardDataWithFeatureReportProtocol(GetCardDataSizeParameters{static_cast<uint8_t>(argument % 3)}),
                  transport);
        break;
    case 1:
        RunResult(GetCardBitCountWithFeatureReportProtocol(), transport);
        break;
    case 2:
        RunResult(GetQueuedIdWithFeatureReportProtocol(argument), transport);
        break;
    case 3:
        RunResult(GetCardAnalyzerStatusWithFeatureReportProtocol(), transport);
        break;
    case 4:
        RunChecked(GetCardAnalyzerDataWithFeatureReportProtocol(argument % 8 + 1, {}), transport);
        break;
    case 5:
        RunValidated(SetCardAnalyzerControlWithFeatureReportProtocol(CardAnalyzerControlParameter{argument}),
                     transport);
        break;
    case 6:
        RunResult(GetConfigurationBlock1WithFeatureReportProtocol(), transport);
        break;
    case 7:
        RunResult(GetConfigurationBlock2WithFeatureReportProtocol(), transport);
        break;
    case 8:
        RunResult(GetConfigurationBlock3WithFeatureReportProtocol(), transport);
        break;
    case 9:
        RunResult(GetConfigurationBlock4WithFeatureReportProtocol(), transport);
        break;
    case 10:
        RunResult(GetConfigurationBlock5WithFeatureReportProtocol(), transport);
        break;
    case 11:
        RunChecked(GetExtendedConfigurationWithFeatureReportProtocol(), transport);
        break;
    case 12:
        RunChecked(GetActiveConfigurationWithFeatureReportProtocol(), transport);
        break;
    case 13: {
        SetActiveConfigurationWithFeatureReportProtocol command(argument);
        Run(command, transport, {[&] { command.ValidateResponse(); }, [&] { command.ParseResult(); }});
        break;
    }
    case 14:
        RunValidated(CopyConfigurationWithFeatureReportProtocol(ConfigurationLocation{argument},
                                                                ConfigurationLocation::Ram, 0, 0),
                     transport);
        break;
    case 15:
        RunResult(GetESNWithFeatureReportProtocol(), transport);
        break;
    case 16:
        RunResult(GetPartNumberWithFeatureReportProtocol(), transport);
        break;
    case 17:
        RunChecked(GetStringWithFeatureReportProtocol(GetStringIndex{argument}), transport);
        break;
    case 18:
        RunResult(GetControlFirmwareVersionWithFeatureReportProtocol(FirmwareVersionModuleType{argument}), transport);
        break;
    case 19:
        RunResult(GetRadioFirmwareVersionWithFeatureReportProtocol(FirmwareVersionModuleType{argument}), transport);
        break;
    case 20:
        RunResult(GetBluetoothFirmwareVersionWithFeatureReportProtocol(FirmwareVersionModuleType{argument}), transport);
        break;
    case 21: {
        GetSamFirmwareVersionWithFeatureReportProtocol command(argument);
        Run(command, transport,
            {[&] { command.GetFelicaSamFirmwareVersion(); }, [&] { command.GetNxpSamFirmwareVersion(); },
             [&] { command.GetHidSeSamFirmwareVersion(); }});
        break;
    }
    case 22:
        RunResult(GetInstalledHardwareWithFeatureReportProtocol(), transport);
        break;
    case 23:
        RunResult(GetSupportedCardsWithFeatureReportProtocol(), transport);
        break;
    case 24:
        RunResult(GetSystemUptimeWithFeatureReportProtocol(), transport);
        break;
    case 25:
        RunResult(GetBeeperVolumeWithFeatureReportProtocol(), transport);
        break;
    case 26:
        RunValidated(SetBeeperVolumeWithFeatureReportProtocol(BeepVolume{argument}), transport);
        break;
    case 27:
        RunChecked(ConfigureModuleStateWithFeatureReportProtocol(ReaderModuleAction{argument}, ReaderModuleId{1},
                                                                 ReaderModuleState{1}),
                   transport);
        break;
    case 28:
        RunValidated(EnableTransparentModeWithFeatureReportProtocol(argument), transport);
        break;
    case 29:
        RunChecked(GetTransparentModeStatusWithFeatureReportProtocol(), transport);
        break;
    case 30: {
        EnableBootloaderModeWithFeatureReportProtocol command(BootloaderModule{argument},
                                                              std::make_unique<TavFuzz::NoWait>());
        Run(command, transport, {[&] { command.ParseResult(); }});
        break;
    }
    case 31:
        RunChecked(GetLuidWithFeatureReportProtocol(), transport);
        break;
    case 32:
        RunChecked(GetBlobWithFeatureReportProtocol(header, (argument + 3) / 4), transport);
        break;
    case 33:
        RunValidated(SetBlobWithFeatureReportProtocol(header, std::vector<uint8_t>(argument, 0x5A)), transport);
        break;
    }
    return 0;
}
