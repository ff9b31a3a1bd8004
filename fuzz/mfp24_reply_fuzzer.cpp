// Any MFP24 replies are checked or decoded without reading past them; the card-type paging ends.
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>

#include "mfp24/BeepWithMfp24Protocol.h"
#include "mfp24/CopyConfigurationWithMfp24Protocol.h"
#include "FuzzReplyTransport.h"
#include "mfp24/GetBluetoothFirmwareVersionWithMfp24Protocol.h"
#include "mfp24/GetInstalledHardwareWithMfp24Protocol.h"
#include "mfp24/GetPartNumberWithMfp24Protocol.h"
#include "mfp24/GetSupportedCardsWithMfp24Protocol.h"
#include "core/ProtocolException.h"
#include "mfp24/SetBeeperVolumeWithMfp24Protocol.h"

using TavFuzz::Run;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    TavFuzz::FuzzReplyTransport transport(std::span<const uint8_t>(data, size), 24);
    Run(TavProtocol::BeepWithMfp24Protocol(2), transport, [](const auto&) {});
    Run(TavProtocol::SetBeeperVolumeWithMfp24Protocol(TavProtocol::BeepVolume{1}), transport, [](const auto&) {});
    Run(TavProtocol::CopyConfigurationWithMfp24Protocol(1), transport, [](const auto&) {});
    Run(TavProtocol::GetBluetoothFirmwareVersionWithMfp24Protocol(TavProtocol::FirmwareVersionModuleType{0}), transport,
        [](const auto& command) { command.GetResult(); });
    Run(TavProtocol::GetInstalledHardwareWithMfp24Protocol(), transport,
        [](const auto& command) { command.GetResult(); });
    Run(TavProtocol::GetPartNumberWithMfp24Protocol(), transport, [](const auto& command) { command.GetResult(); });
    Run(TavProtocol::GetSupportedCardsWithMfp24Protocol(), transport, [](const auto& command) { command.GetResult(); });
    return 0;
}
