#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "records/CardAnalyzerControlParameter.h"
#include "records/CardAnalyzerData.h"
#include "records/CardAnalyzerStatus.h"
#include "records/CardReadPayload.h"
#include "records/GetCardDataSizeParameters.h"
#include "core/Protocol.h"
#include "facade/ProtocolHandle.h"
#include "records/QueuedIdFlagParameters.h"
#include "records/QueuedIdInformation.h"
#include "Tavelin/ProtocolCommandResult.h"
#include "Tavelin/ReaderDefinition.h"
#include "transport/Transport.h"
#include "transport/TransportPayload.h"
#include "transport/UsbSysfs.h"

namespace TavProtocol {

class CommandVisitor;

// One opened reader: its protocol object and transport, reached through a handle registry. Every
// operation runs alone under the facade's mutex, from the first byte sent to the last received,
// and returns its failure as a ProtocolCommandResult instead of throwing.
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
    // The registered facade, or null. The pointer stays valid only until the handle is destroyed.
    static ProtocolFacade* GetInstance(ProtocolHandle handle);
    // The registered facade with a share of its ownership, for callers that must not lose it to a
    // concurrent DestroyInstance; null when the handle is not registered.
    static std::shared_ptr<ProtocolFacade> AcquireInstance(ProtocolHandle handle);
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
    // Copies the 32 card bytes into buffer, which must hold them; writes no terminator.
    ProtocolCommandResult GetCardData(GetCardDataSizeParameters size, unsigned char* buffer,
                                      unsigned long bufferSize) const;
    ProtocolCommandResult GetCardBitCount(unsigned char& bitCount) const;
    ProtocolCommandResult GetCardReadPayload(GetCardDataSizeParameters size, CardReadPayload& payload) const;
    ProtocolCommandResult GetQueuedId(const QueuedIdFlagParameters& flags, QueuedIdInformation& queuedId) const;
    ProtocolCommandResult GetCardAnalyzerStatus(CardAnalyzerStatus& status) const;
    ProtocolCommandResult SetCardAnalyzerControl(CardAnalyzerControlParameter control) const;
    ProtocolCommandResult GetCardAnalyzerData(std::vector<CardAnalyzerData>& records, unsigned char cardCount) const;

    // Identity and versions.

    // Configuration blocks, whole configurations and their management.

    // Beeper, baud rate and modules.

    // BLE and blobs.

    // MIFARE writer.

    // Firmware upgrade and bootloader.

    // Device identity and the raw transport.
    ProtocolCommandResult GetDeviceId(TavCommon::DeviceId& deviceId) const;
    ProtocolCommandResult Transmit(TavTransport::TransportPayload& payload) const;
    ProtocolCommandResult Receive(TavTransport::TransportPayload& payload) const;

private:
    // The frame every operation shares: the facade's lock for the whole operation, the two guards,
    // the trace line, then the work inside RunCheckedFacadeFunction.
    template <typename Work>
    ProtocolCommandResult RunOperation(std::string_view name, Work& work) const;
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

// The record of an argument the protocol library refuses before any work: type "InvalidArgument".
ProtocolCommandResult MakeInvalidArgumentResult(std::string_view message, std::string_view file, int32_t line,
                                                std::string_view function);

}  // namespace TavProtocol
