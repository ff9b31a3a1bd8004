// Any serial-binary replies, of any length, are checked or decoded without reading past them, and
// every exchange ends: the paged reads after 256 phrases at most.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "serialBinary/BeepWithSerialBinaryProtocol.h"
#include "serialBinary/CopyConfigurationWithSerialBinaryProtocol.h"
#include "FuzzReplyTransport.h"
#include "serialBinary/GetActiveConfigurationWithSerialBinaryProtocol.h"
#include "serialBinary/GetBaudRateWithSerialBinaryProtocol.h"
#include "serialBinary/GetBeeperVolumeWithSerialBinaryProtocol.h"
#include "serialBinary/GetCardAnalyzerDataWithSerialBinaryProtocol.h"
#include "serialBinary/GetCardAnalyzerStatusWithSerialBinaryProtocol.h"
#include "serialBinary/GetCardDataWithSerialBinaryProtocol.h"
#include "serialBinary/GetConfigurationBlock1WithSerialBinaryProtocol.h"
#include "serialBinary/GetConfigurationBlock5WithSerialBinaryProtocol.h"
#include "serialBinary/GetControlFirmwareVersionWithSerialBinaryProtocol.h"
#include "serialBinary/GetESNWithSerialBinaryProtocol.h"
#include "serialBinary/GetExtendedConfigurationWithSerialBinaryProtocol.h"
#include "serialBinary/GetInstalledHardwareWithSerialBinaryProtocol.h"
#include "serialBinary/GetLuidWithSerialBinaryProtocol.h"
#include "serialBinary/GetPartNumberWithSerialBinaryProtocol.h"
#include "serialBinary/GetQueuedIdWithSerialBinaryProtocol.h"
#include "serialBinary/GetStringWithSerialBinaryProtocol.h"
#include "serialBinary/GetSupportedCardsWithSerialBinaryProtocol.h"
#include "serialBinary/GetSystemUptimeWithSerialBinaryProtocol.h"
#include "serialBinary/LoadStoredDefaultsWithSerialBinaryProtocol.h"
#include "serialBinary/SetActiveConfigurationWithSerialBinaryProtocol.h"
#include "serialBinary/SetBaudRateWithSerialBinaryProtocol.h"
#include "serialBinary/SetConfigurationBlock2WithSerialBinaryProtocol.h"
#include "serialBinary/SetLuidWithSerialBinaryProtocol.h"
#include "Tavelin/ElvarinException.h"
#include "serialBinary/WriteConfigurationWithSerialBinaryProtocol.h"

namespace {

// A serial reader whose replies come from a ReplyFeed, whatever length was asked for (a serial
// receive returns what arrived). Every phrase must be a frame or the LUID's data phrase.
class SerialFuzzTransport : public TavTransport::Transport {
public:
    explicit SerialFuzzTransport(std::span<const uint8_t> replies)
        : Transport(TavFuzz::ZeroDefinition()), replies_(replies) {}

    void init(uint32_t) override {}
    void transmit(TavTransport::TransportPayload& payload) override {
        const bool frame = payload.data.size() >= 5 && payload.data[0] == 0xFA;
        const bool luidData = payload.data.size() == 2;
        if (payload.data.size() != payload.length || !(frame || luidData) || ++phrases_ > kPhraseLimit) {
            std::abort();
        }
    }
    std::vector<uint8_t> receive(TavTransport::TransportPayload&) override { return replies_.Next(); }

private:
    // Two paged reads of 256 phrases each and everything else: far below this.
    static constexpr std::size_t kPhraseLimit = 1024;

    TavFuzz::ReplyFeed replies_;
    std::size_t phrases_ = 0;
};

// Any of the library's own failures is fine here, not only a protocol one.
template <typename Command, typename Decode>
void Run(Command&& command, TavTransport::Transport& transport, Decode decode) {
    TavFuzz::Run<ElvarinException>(std::forward<Command>(command), transport, decode);
}

const auto kNothing = [](auto&) {};
const auto kResult = [](auto& command) { command.GetResult(); };

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace TavProtocol;
    SerialFuzzTransport transport(std::span<const uint8_t>(data, size));
    Run(GetESNWithSerialBinaryProtocol(), transport, kResult);
    Run(GetPartNumberWithSerialBinaryProtocol(), transport, kResult);
    Run(GetStringWithSerialBinaryProtocol(GetStringIndex{1}), transport, kResult);
    Run(GetControlFirmwareVersionWithSerialBinaryProtocol(FirmwareVersionModuleType{0}), transport, kResult);
    Run(GetInstalledHardwareWithSerialBinaryProtocol(), transport, kResult);
    Run(GetSupportedCardsWithSerialBinaryProtocol(), transport, kResult);
    Run(GetSystemUptimeWithSerialBinaryProtocol(), transport, kResult);
    Run(GetBaudRateWithSerialBinaryProtocol(), transport, kResult);
    for (const auto readSize : {GetCardDataSizeParameters::Short, GetCardDataSizeParameters::Long}) {
        Run(GetCardDataWithSerialBinaryProtocol(readSize), transport, [](auto& command) {
            command.GetResult();
            command.GetBitCount();
        });
    }
    Run(GetQueuedIdWithSerialBinaryProtocol(0), transport, kResult);
    Run(GetCardAnalyzerStatusWithSerialBinaryProtocol(), transport, kResult);
    Run(GetCardAnalyzerDataWithSerialBinaryProtocol(2), transport, kResult);
    Run(BeepWithSerialBinaryProtocol(1, BEEP_DURATION::Short), transport, kNothing);
    Run(GetBeeperVolumeWithSerialBinaryProtocol(), transport, kResult);
    Run(SetBaudRateWithSerialBinaryProtocol(SerialReaderBaudRate{1}), transport, kNothing);
    Run(GetActiveConfigurationWithSerialBinaryProtocol(), transport, kResult);
    Run(SetActiveConfigurationWithSerialBinaryProtocol(1), transport, kNothing);
    Run(CopyConfigurationWithSerialBinaryProtocol(ConfigurationLocation{1}, ConfigurationLocation{2}, 0, 0,
                                                  std::make_unique<TavFuzz::NoWait>()),
        transport, kNothing);
    Run(GetLuidWithSerialBinaryProtocol(), transport, kResult);
    Run(SetLuidWithSerialBinaryProtocol(0x1234), transport, kNothing);
    Run(GetConfigurationBlock1WithSerialBinaryProtocol(), transport, kResult);
    Run(GetConfigurationBlock5WithSerialBinaryProtocol(), transport, kResult);
    Run(SetConfigurationBlock2WithSerialBinaryProtocol(ReaderConfigurationBlock2{}), transport, kNothing);
    Run(GetExtendedConfigurationWithSerialBinaryProtocol(), transport, kResult);
    Run(WriteConfigurationWithSerialBinaryProtocol(1), transport, kNothing);
    Run(LoadStoredDefaultsWithSerialBinaryProtocol(), transport, kNothing);
    return 0;
}
