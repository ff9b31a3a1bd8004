#pragma once

#include "Tavelin/Export.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Tavelin/AbstractReader.h"
#include "Tavelin/BEEP_DURATION.h"
#include "Tavelin/BeepVolume.h"
#include "Tavelin/BleDataType.h"
#include "Tavelin/CardData.h"
#include "Tavelin/CardType.h"
#include "Tavelin/CheckpointType.h"
#include "Tavelin/ExtendedConfiguration.h"
#include "Tavelin/GetCardDataSizeParameters.h"
#include "Tavelin/HashData.h"
#include "Tavelin/LedConfiguration.h"
#include "Tavelin/LuidResponseInformation.h"
#include "Tavelin/ProtocolCommandResult.h"
#include "Tavelin/ProtocolHandle.h"
#include "Tavelin/QueuedIdFlagParameters.h"
#include "Tavelin/QueuedIdInformation.h"
#include "Tavelin/ReaderCapability.h"
#include "Tavelin/ReaderCapabilitySet.h"
#include "Tavelin/ReaderConfigurationStruct.h"
#include "Tavelin/ReaderDefinition.h"
#include "Tavelin/ReaderMetadataStruct.h"
#include "Tavelin/ReaderModuleId.h"
#include "Tavelin/ReaderModuleState.h"
#include "Tavelin/SmartCardConfiguration.h"
#include "Tavelin/TransparentModeState.h"
#include "Tavelin/TransparentModeStatus.h"

namespace TavCommon {
class TimeDelay;
}

namespace TavProtocol {
class ProtocolFacade;
}

namespace Tav {

// The reader a host holds: every operation is checked against the reader's capability profile,
// then runs its facade operations; a failed one becomes a ReaderException. Operations work
// between Init and Close. Card callbacks run on the reader's own threads.
class TAV_API Reader : public AbstractReader {
public:
    using CardCallback = std::function<void(CardData&)>;

    // The time delay paces the smart-card writes. Hosts open readers through
    // AbstractReader::CreateReaderInstance instead, which makes both.
    Reader(std::shared_ptr<TavProtocol::ProtocolFacade> facade, TavProtocol::ProtocolHandle facadeHandle,
           std::unique_ptr<TavCommon::TimeDelay> timeDelay);
    ~Reader() override;

    // Reads the metadata, builds the capability profile and starts polling for the subscribers.
    void Init() override;

    // Subscribes to the cards presented at the reader; the subscription id, never 0. Polling
    // starts at once on an initialised reader, else at Init. The size applies to all subscribers.
    unsigned int OnCredentialPresented(CardCallback callback, TavProtocol::GetCardDataSizeParameters size);
    // Unsubscribes; polling stops with the last subscription. Safe from inside a callback.
    void UnsubscribeCredentialCallback(unsigned int id);

    // Cards and beeper.
    // Writes the 32 card bytes (the vector grows to hold them) and the bit count; no card gives
    // zeros and bit count 0.
    void GetCardData(CardData& cardData, TavProtocol::GetCardDataSizeParameters size) const;
    void GetQueuedCardData(TavProtocol::QueuedIdFlagParameters flags,
                           TavProtocol::QueuedIdInformation& information) const;
    void GetSupportedCardTypes(std::vector<TavCommon::CardType>& cardTypes) const;
    void Beep(unsigned char count, TavProtocol::BEEP_DURATION duration) const;
    void SetBeeperVolume(TavProtocol::BeepVolume volume) const;
    void GetBeeperVolume(TavProtocol::BeepVolume& volume) const;
    void AnalyzeCard(void (**callback)()) const;

    // Modes, identity and settings. The setters store the reader's configuration afterwards.
    void GetTransparentModeStatus(TavProtocol::TransparentModeState& state,
                                  TavProtocol::TransparentModeStatus& status) const;
    void EnableTransparentMode(bool enable, bool persist) const;
    void SetLuid(unsigned short luid) const;
    void GetLuid(TavProtocol::LuidResponseInformation& information) const;
    void SetModuleState(TavProtocol::ReaderModuleId module, TavProtocol::ReaderModuleState state) const;
    void GetModuleState(TavProtocol::ReaderModuleId module, TavProtocol::ReaderModuleState& state) const;
    // In every configuration the last metadata read counted; leaves the last one active.
    void EnableKeystroking(bool enable) const;
    void SetLedConfiguration(unsigned char index, const LedConfiguration& led) const;
    void GetLedConfiguration(unsigned char index, LedConfiguration& led) const;
    void ConfigureBaudRate(TavCommon::SerialPortBaudRate baudRate) const;

    // Stored configurations and smart-card blobs.
    void WriteUserDefaultsToReader() const;
    void ResetReaderConfiguration(CheckpointType checkpoint) const;
    // Reads the blob the configuration's header names into the configuration.
    void ReadSmartCardConfigurationFromReader(TavCommon::SmartCardConfiguration& configuration) const;
    // Writes every blob of a smart-card configuration file (".ini") into the reader.
    void WriteSmartCardConfigurationToReader(const std::string& path) const;

    // Whole configurations, converted between the flat record and the reader's five blocks. The
    // record is checked through its setters first; the block-2 capability members are always the
    // reader's own, and the configuration is stored after the write.
    void SetReaderConfiguration(unsigned char index, const TavCommon::ReaderConfiguration& configuration,
                                const TavCommon::ExtendedConfiguration& extended,
                                const TavCommon::HashData& hash) const;
    // Adds what the reader holds to the configuration: pass a zeroed one.
    void GetReaderConfiguration(unsigned char index, TavCommon::ReaderConfiguration& configuration,
                                TavCommon::ExtendedConfiguration& extended) const;

    // HWG files: every configuration of the reader, restored from or saved to a file.
    void WriteHwgFileToReader(const std::string& path) const;
    // Refused, writing no file, while the reader's configuration count is unknown.
    void ReadHwgFileFromReader(const std::string& path, bool withTrailer);

    // BLE HWG files: one BLE blob of the reader (1 Data, 2 Key; 3, the bare 16-byte key, is only
    // written, from a key file). A Data blob is written with the bytes the firmware manages forced.
    void ReadBleConfigurationFromReader(TavCommon::BleDataType type, const std::string& path);
    void WriteBleConfigurationToReader(TavCommon::BleDataType type, const std::string& path) const;

protected:
    // Checks the capabilities under the object mutex, then runs the body on the facade it took
    // there and turns a failed result into a ReaderException.
    void ExecuteWithCapabilityCheck(std::string_view operation, const ReaderCapabilitySet& required,
                                    const std::function<ProtocolCommandResult(const TavProtocol::ProtocolFacade&)>&
                                        body) const;

private:
    ReaderMetadataStruct MetadataCopy() const;
    // Asks the profile under the object mutex, since its rules read the metadata that Init and a
    // refresh rewrite; fails like the frame when there is no profile.
    bool HasCapability(ReaderCapability capability) const;
    std::function<void(CardData&)> PollFunction();
    // True when the reader can be polled; throws when it is being destroyed or has no facade.
    bool AdmitPolling();
    int32_t ConfigurationCount() const;

    std::unique_ptr<TavCommon::TimeDelay> timeDelay_;
};

}  // namespace Tav
