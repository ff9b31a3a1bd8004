#include "Tavelin/Reader.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <utility>

#include "Tavelin/DefaultReaderCapabilityProfile.h"
#include "Tavelin/ReaderException.h"
#include "common/BlobHeader.h"
#include "common/CardTypeResolver.h"
#include "common/Logger.h"
#include "common/ReaderConfigurationBlock1.h"
#include "common/ReaderConfigurationBlock3.h"
#include "common/StringUtils.h"
#include "common/TimeDelay.h"
#include "facade/ProtocolFacade.h"
#include "files/SmartCardConfigurationFileParser.h"
#include "reader/GetCardDataCallbackHandler.h"
#include "records/CardReadPayload.h"
#include "records/ConfigurationLocation.h"
#include "records/ReaderModuleAction.h"
#include "records/TransparentModeStatusInformation.h"

namespace Tav {

namespace {

const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();

using TavProtocol::ProtocolFacade;
using enum ReaderCapability;

// Where the fixed-site errors of the operations say they come from.
constexpr const char* kReaderSource = "Reader";
constexpr const char* kFrameSource = "ExecutionHelpers";
constexpr const char* kFrameFunction = "ExecuteWithCapabilityCheck";
constexpr int kProfileNotInitialisedLine = 120;
constexpr int kCapabilityMissingLine = 154;
constexpr int kOperationFailedLine = 169;
constexpr int kReaderDestroyedLine = 62;
constexpr int kAnalyzeCardLine = 156;
constexpr int kConfigureBaudRateLine = 792;
constexpr int kCheckpointLine = 765;
constexpr int kNotIniFileLine = 614;
constexpr int kSmartCardDataShortLine = 630;
constexpr int kUnknownCardDataSizeLine = 106;

constexpr std::size_t kCardBytes = 32;
constexpr unsigned char kStoreWithLuid = 1;
constexpr int kSmartCardPauseMs = 500;
// The blob type after whose write the reader needs a pause of its own.
constexpr uint8_t kSlowBlobType = 15;

ReaderCapabilitySet Requires(ReaderCapability capability) {
    ReaderCapabilitySet set;
    set.WithRequiredCapability(capability);
    return set;
}

ProtocolCommandResult Success() {
    ProtocolCommandResult result;
    std::memset(&result, 0, sizeof result);
    return result;
}

ProtocolCommandResult Store(const ProtocolFacade& facade) { return facade.WriteConfiguration(kStoreWithLuid); }

}  // namespace

Reader::Reader(std::shared_ptr<TavProtocol::ProtocolFacade> facade, TavProtocol::ProtocolHandle facadeHandle,
               std::unique_ptr<TavCommon::TimeDelay> timeDelay)
    : AbstractReader(std::move(facade), facadeHandle), timeDelay_(std::move(timeDelay)) {}

// The polling thread reads through this object: it is stopped before the members go.
Reader::~Reader() { callbackHandler_->Shutdown(); }

void Reader::Init() {
    AbstractReader::Init();
    {
        const std::unique_lock lock(mutex_);
        CheckUsable(lock);
        // The old profile goes when the last operation that took it has left.
        profile_ = std::make_shared<DefaultReaderCapabilityProfile>(metadata_, facade_);
    }
    callbackHandler_->StartIfSubscribed([this] { return AdmitPolling(); }, PollFunction());
}

bool Reader::AdmitPolling() {
    const std::unique_lock lock(mutex_);
    CheckUsable(lock);
    return profile_ != nullptr;
}

std::function<void(CardData&)> Reader::PollFunction() {
    return [this](CardData& cardData) {
        if (beingDestroyed_.load()) {
            throw ReaderException("Reader is being destroyed", kReaderSource, kReaderDestroyedLine, "operator()");
        }
        GetCardData(cardData, callbackHandler_->GetSizeParameter());
    };
}

unsigned int Reader::OnCredentialPresented(CardCallback callback, TavProtocol::GetCardDataSizeParameters size) {
    // Every poll with an unknown size would fail, and a poll's failure is only logged: refused
    // here, where the caller sees it.
    if (!TavProtocol::IsKnownCardDataSize(size)) {
        throw ReaderException(TavProtocol::kUnknownCardDataSizeMessage, kReaderSource, kUnknownCardDataSizeLine,
                              "OnCredentialPresented");
    }
    // The checks come before the subscription, so a refused one leaves nothing subscribed.
    return callbackHandler_->AddCallbackAndStart(
        std::move(callback),
        [this, size] {
            const bool ready = AdmitPolling();
            callbackHandler_->SetSizeParameter(size);
            return ready;
        },
        PollFunction());
}

void Reader::UnsubscribeCredentialCallback(unsigned int id) { callbackHandler_->RemoveCallbackAndStopIfEmpty(id); }

void Reader::ExecuteWithCapabilityCheck(
    std::string_view operation, const ReaderCapabilitySet& required,
    const std::function<ProtocolCommandResult(const TavProtocol::ProtocolFacade&)>& body) const {
    std::shared_ptr<ProtocolFacade> facade;
    bool capable = false;
    std::vector<ReaderCapability> missing;
    {
        // The rules read the metadata, which a refresh swaps under this mutex; the profile and the
        // facade taken here stay alive for the call whatever Init or Close do meanwhile.
        const std::lock_guard lock(mutex_);
        if (!profile_ || !facade_) {
            throw ReaderException("Reader capability profile not initialized. Call Init() first.", "AbstractReader",
                                  kProfileNotInitialisedLine, "GetCapabilityProfile");
        }
        facade = facade_;
        TavCommon::Logger::Trace(logger, TavCommon::kReaderCategory, "AbstractReader called {}", operation);
        capable = profile_->IsCapableOf(required);
        if (!capable) {
            missing = profile_->GetUnsupportedCapabilities(required);
        }
    }
    if (!capable) {
        std::vector<std::string> names;
        for (const ReaderCapability capability : missing) {
            names.emplace_back(ReaderCapabilityToString(capability));
        }
        throw ReaderException(fmt::format("Operation '{}' requires capabilities that this reader does not support: {}",
                                          operation, TavCommon::StringUtils::Join(names, ", ")),
                              kFrameSource, kCapabilityMissingLine, kFrameFunction);
    }
    const ProtocolCommandResult result = body(*facade);
    if (result.HasException) {
        throw ReaderException(fmt::format("Operation '{}' failed", operation), result, kFrameSource,
                              kOperationFailedLine, kFrameFunction);
    }
}

bool Reader::HasCapability(ReaderCapability capability) const {
    const std::lock_guard lock(mutex_);
    if (!profile_) {
        throw ReaderException("Reader capability profile not initialized. Call Init() first.", "AbstractReader",
                              kProfileNotInitialisedLine, "GetCapabilityProfile");
    }
    return profile_->HasCapability(capability);
}

int32_t Reader::ConfigurationCount() const {
    const std::lock_guard lock(mutex_);
    return metadata_.ConfigurationCount;
}

void Reader::GetCardData(CardData& cardData, TavProtocol::GetCardDataSizeParameters size) const {
    TavProtocol::CardReadPayload payload{};
    ExecuteWithCapabilityCheck("GetCardData", {},
                               [&](const ProtocolFacade& facade) { return facade.GetCardReadPayload(size, payload); });
    if (cardData.data.size() < kCardBytes) {
        cardData.data.resize(kCardBytes);
    }
    std::copy(std::begin(payload.CardData), std::end(payload.CardData), cardData.data.begin());
    cardData.bitCount = payload.BitCount;
}

void Reader::GetQueuedCardData(TavProtocol::QueuedIdFlagParameters flags,
                               TavProtocol::QueuedIdInformation& information) const {
    TavProtocol::QueuedIdInformation read{};
    ExecuteWithCapabilityCheck("GetQueuedCardData", Requires(READER_CAPABILITY_QUEUED_CARD_DATA),
                               [&](const ProtocolFacade& facade) { return facade.GetQueuedId(flags, read); });
    information = read;
}

void Reader::GetSupportedCardTypes(std::vector<TavCommon::CardType>& cardTypes) const {
    std::vector<unsigned short> codes;
    ExecuteWithCapabilityCheck("GetSupportedCardTypes", {},
                               [&](const ProtocolFacade& facade) { return facade.GetSupportedCards(codes); });
    // Resolved into a list of its own: an unknown code leaves the caller's list as it was.
    std::vector<TavCommon::CardType> resolved;
    for (const unsigned short code : codes) {
        for (TavCommon::CardType& type : TavCommon::CardTypeResolver::ResolveSupportedCardType(code)) {
            resolved.push_back(std::move(type));
        }
    }
    cardTypes = std::move(resolved);
}

void Reader::Beep(unsigned char count, TavProtocol::BEEP_DURATION duration) const {
    ExecuteWithCapabilityCheck("Beep", Requires(READER_CAPABILITY_BEEPER),
                               [&](const ProtocolFacade& facade) { return facade.Beep(count, duration); });
}

void Reader::SetBeeperVolume(TavProtocol::BeepVolume volume) const {
    ExecuteWithCapabilityCheck("SetBeeperVolume", Requires(READER_CAPABILITY_BEEPER),
                               [&](const ProtocolFacade& facade) { return facade.SetBeeperVolume(volume); });
}

void Reader::GetBeeperVolume(TavProtocol::BeepVolume& volume) const {
    TavProtocol::BeepVolume read{};
    ExecuteWithCapabilityCheck("GetBeeperVolume", Requires(READER_CAPABILITY_BEEPER),
                               [&](const ProtocolFacade& facade) { return facade.GetBeeperVolume(read); });
    volume = read;
}

void Reader::AnalyzeCard(void (** /*callback*/)()) const {
    ExecuteWithCapabilityCheck("AnalyzeCard", Requires(READER_CAPABILITY_CARD_ANALYZER),
                               [](const ProtocolFacade&) -> ProtocolCommandResult {
                                   throw ReaderException("This function is not yet implemented.", kReaderSource,
                                                         kAnalyzeCardLine, "operator()");
                               });
}

void Reader::GetTransparentModeStatus(TavProtocol::TransparentModeState& state,
                                      TavProtocol::TransparentModeStatus& status) const {
    TavProtocol::TransparentModeStatusInformation information{};
    ExecuteWithCapabilityCheck(
        "GetTransparentModeStatus", Requires(READER_CAPABILITY_TRANSPARENT_MODE),
        [&](const ProtocolFacade& facade) { return facade.GetTransparentModeStatus(information); });
    state = information.State;
    status = information.Status;
}

void Reader::EnableTransparentMode(bool enable, bool persist) const {
    ExecuteWithCapabilityCheck("EnableTransparentMode", Requires(READER_CAPABILITY_TRANSPARENT_MODE),
                               [&](const ProtocolFacade& facade) {
                                   const ProtocolCommandResult result = facade.EnableTransparentMode(enable);
                                   if (result.HasException || !persist) {
                                       return result;
                                   }
                                   return Store(facade);
                               });
}

void Reader::SetLuid(unsigned short luid) const {
    ExecuteWithCapabilityCheck("SetLuid", Requires(READER_CAPABILITY_LUID), [&](const ProtocolFacade& facade) {
        const ProtocolCommandResult result = facade.SetLuid(luid);
        return result.HasException ? result : Store(facade);
    });
}

void Reader::GetLuid(TavProtocol::LuidResponseInformation& information) const {
    TavProtocol::LuidResponseInformation read{};
    ExecuteWithCapabilityCheck("GetLuid", Requires(READER_CAPABILITY_LUID),
                               [&](const ProtocolFacade& facade) { return facade.GetLuid(read); });
    information = read;
}

void Reader::SetModuleState(TavProtocol::ReaderModuleId module, TavProtocol::ReaderModuleState state) const {
    ExecuteWithCapabilityCheck("SetModuleState", Requires(READER_CAPABILITY_MODULE_CONTROL),
                               [&](const ProtocolFacade& facade) {
                                   TavProtocol::ReaderModuleState requested = state;
                                   const ProtocolCommandResult result = facade.ConfigureModuleState(
                                       TavProtocol::ReaderModuleAction::Set, module, requested);
                                   return result.HasException ? result : Store(facade);
                               });
}

void Reader::GetModuleState(TavProtocol::ReaderModuleId module, TavProtocol::ReaderModuleState& state) const {
    TavProtocol::ReaderModuleState read = state;
    ExecuteWithCapabilityCheck("GetModuleState", Requires(READER_CAPABILITY_MODULE_CONTROL),
                               [&](const ProtocolFacade& facade) {
                                   return facade.ConfigureModuleState(TavProtocol::ReaderModuleAction::Read, module,
                                                                      read);
                               });
    state = read;
}

void Reader::EnableKeystroking(bool enable) const {
    ExecuteWithCapabilityCheck("EnableKeystroking", Requires(READER_CAPABILITY_KEYSTROKING),
                               [&](const ProtocolFacade& facade) {
                                   const int32_t count = ConfigurationCount();
                                   ProtocolCommandResult result = Success();
                                   for (int32_t i = 0; i < count; ++i) {
                                       const auto index = static_cast<unsigned char>(i);
                                       result = facade.SetActiveConfiguration(index);
                                       if (result.HasException) {
                                           return result;
                                       }
                                       TavProtocol::ReaderConfigurationBlock1 block{};
                                       result = facade.GetConfigurationBlock1(block);
                                       if (result.HasException) {
                                           return result;
                                       }
                                       block.DisableKeystroking = enable ? 0 : 1;
                                       result = facade.SetConfigurationBlock1(index, block);
                                       if (result.HasException) {
                                           return result;
                                       }
                                       result = Store(facade);
                                       if (result.HasException) {
                                           return result;
                                       }
                                   }
                                   return result;
                               });
}

void Reader::SetLedConfiguration(unsigned char index, const LedConfiguration& led) const {
    TavProtocol::ReaderConfigurationBlock3 block{};
    ExecuteWithCapabilityCheck("SetLedConfiguration", Requires(READER_CAPABILITY_LED_CONFIGURATION),
                               [&](const ProtocolFacade& facade) {
                                   const ProtocolCommandResult result = facade.SetActiveConfiguration(index);
                                   return result.HasException ? result : facade.GetConfigurationBlock3(block);
                               });
    if (led.HostControlFlag != 0) {
        block.LedControlFlag = 1;
        switch (led.LedState) {
            case 1: block.LedRed = 0; block.LedGreen = 0; break;
            case 2: block.LedRed = 1; block.LedGreen = 0; break;
            case 3: block.LedRed = 0; block.LedGreen = 1; break;
            case 4: block.LedRed = 1; block.LedGreen = 1; break;
            default: break;  // the colours stay as read
        }
    } else {
        block.LedControlFlag = 0;
    }
    ExecuteWithCapabilityCheck("SetLedConfiguration", Requires(READER_CAPABILITY_LED_CONFIGURATION),
                               [&](const ProtocolFacade& facade) {
                                   const ProtocolCommandResult result = facade.SetConfigurationBlock3(index, block);
                                   return result.HasException ? result : Store(facade);
                               });
}

void Reader::GetLedConfiguration(unsigned char index, LedConfiguration& led) const {
    TavProtocol::ReaderConfigurationBlock3 block{};
    ExecuteWithCapabilityCheck("GetLedConfiguration", Requires(READER_CAPABILITY_LED_CONFIGURATION),
                               [&](const ProtocolFacade& facade) {
                                   const ProtocolCommandResult result = facade.SetActiveConfiguration(index);
                                   return result.HasException ? result : facade.GetConfigurationBlock3(block);
                               });
    if (block.LedControlFlag == 0) {
        led = LedConfiguration{0, 0};
        return;
    }
    const bool red = block.LedRed != 0;
    const bool green = block.LedGreen != 0;
    const uint8_t state = red ? (green ? 4 : 2) : (green ? 3 : 1);
    led = LedConfiguration{state, 1};
}

void Reader::ConfigureBaudRate(TavCommon::SerialPortBaudRate /*baudRate*/) const {
    ExecuteWithCapabilityCheck("ConfigureBaudRate", Requires(READER_CAPABILITY_BAUD_RATE),
                               [](const ProtocolFacade&) -> ProtocolCommandResult {
                                   throw ReaderException("This function is not yet implemented.", kReaderSource,
                                                         kConfigureBaudRateLine, "operator()");
                               });
}

void Reader::WriteUserDefaultsToReader() const {
    ExecuteWithCapabilityCheck("WriteUserDefaultsToReader", Requires(READER_CAPABILITY_CONFIGURABLE),
                               [](const ProtocolFacade& facade) {
                                   return facade.CopyConfiguration(static_cast<TavProtocol::ConfigurationLocation>(1),
                                                                   static_cast<TavProtocol::ConfigurationLocation>(2),
                                                                   0, 0);
                               });
}

void Reader::ResetReaderConfiguration(CheckpointType checkpoint) const {
    ExecuteWithCapabilityCheck(
        "ResetReaderConfiguration", Requires(READER_CAPABILITY_CONFIGURABLE), [&](const ProtocolFacade& facade) {
            switch (checkpoint) {
                case CheckpointType::FactoryDefaults: {
                    const ProtocolCommandResult result =
                        facade.CopyConfiguration(TavProtocol::ConfigurationLocation::FactoryDefaults,
                                                 static_cast<TavProtocol::ConfigurationLocation>(2), 0, 0);
                    return result.HasException ? result : facade.LoadStoredDefaults();
                }
                case CheckpointType::StoredDefaults:
                    return facade.LoadStoredDefaults();
            }
            throw ReaderException("Unsupported checkpoint type.", kReaderSource, kCheckpointLine, "operator()");
        });
}

void Reader::ReadSmartCardConfigurationFromReader(TavCommon::SmartCardConfiguration& configuration) const {
    const TavCommon::BlobHeader header = configuration.Header;
    std::vector<unsigned char> data;
    ExecuteWithCapabilityCheck("ReadSmartCardConfigurationFromReader", Requires(READER_CAPABILITY_SMART_CARD),
                               [&](const ProtocolFacade& facade) { return facade.GetBlob(header, data); });
    // The reader sends whole 4-byte pieces; only the header's length of them is the blob.
    if (data.size() < header.DataLength) {
        throw ReaderException(fmt::format("Smart card configuration read returned {} data bytes, fewer than the {} "
                                          "its header announces.",
                                          data.size(), header.DataLength),
                              kReaderSource, kSmartCardDataShortLine, "ReadSmartCardConfigurationFromReader");
    }
    data.resize(header.DataLength);
    TavCommon::SmartCardConfiguration read = configuration;
    read.SetConfiguration(header, data);
    configuration = read;
}

void Reader::WriteSmartCardConfigurationToReader(const std::string& path) const {
    if (std::filesystem::path(path).extension() != ".ini") {
        throw ReaderException(fmt::format("File '{}' is not a valid INI file.", path), kReaderSource, kNotIniFileLine,
                              "WriteSmartCardConfigurationToReader");
    }
    ExecuteWithCapabilityCheck(
        "WriteSmartCardConfigurationToReader", Requires(READER_CAPABILITY_SMART_CARD),
        [&](const ProtocolFacade& facade) {
            const std::vector<TavCommon::SmartCardConfiguration> configurations =
                ReadConfigurationFromSmartCardIniFile(path);
            ProtocolCommandResult result = Success();
            for (const TavCommon::SmartCardConfiguration& configuration : configurations) {
                const std::size_t length = std::min<std::size_t>(configuration.Header.DataLength,
                                                                 TavCommon::SmartCardConfiguration::kMaxDataSize);
                const std::vector<unsigned char> data(configuration.Data, configuration.Data + length);
                result = facade.SetBlob(configuration.Header, data);
                if (result.HasException) {
                    return result;
                }
                if (configuration.Header.BlobType == kSlowBlobType) {
                    timeDelay_->DelayMilliseconds(kSmartCardPauseMs);
                }
                result = Store(facade);
                if (result.HasException) {
                    return result;
                }
                timeDelay_->DelayMilliseconds(kSmartCardPauseMs);
            }
            return result;
        });
}

}  // namespace Tav
