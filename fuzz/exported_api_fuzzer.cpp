// The flat interface as a careless host uses it: the input is a sequence of exported calls with
// arbitrary handles (open, closed, never opened, null), null and non-null pointers, sizes, indexes,
// enumeration values and file names, against a simulated reader in process. No call may crash or
// let an exception out, and every record's texts end inside their fields.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "FuzzScratchFiles.h"
#include "Tavelin.h"
#include "common/TimeDelay.h"
#include "common/TimeDelayFactory.h"
#include "sim/CommandTables.h"
#include "sim/FeatureReportFrontEnd.h"
#include "sim/SerialBinaryFrontEnd.h"
#include "sim/SimulatedReader.h"
#include "support/InProcessTransport.h"
#include "transport/TransportFactoryOverride.h"

namespace {

// Waits cost nothing: a run is its exchanges.
class NoWait : public TavCommon::TimeDelay {
public:
    void DelayMilliseconds(int) override {}
    void DelaySeconds(int) override {}
};

// One simulated reader per input, reached over the wire protocol the definition names. Arbitrary
// arguments may make the library send a phrase no reader knows: the reader answers it as a real
// one does, and the run goes on.
struct Readers {
    Readers() {
        featureReport.AllowUnknownPhrases();
        mfp24.AllowUnknownPhrases();
        serial.AllowUnknownPhrases();
    }

    TavSim::SimulatedReader sim;
    TavSim::FeatureReportFrontEnd featureReport{sim};
    TavSim::FeatureReportFrontEnd mfp24{sim, TavSim::Mfp24Commands()};
    TavSim::SerialBinaryFrontEnd serial{sim};

    TavSim::FrontEnd& For(uint8_t protocolType) {
        switch (protocolType) {
        case 2:
            return mfp24;
        case 3:
            return serial;
        default:
            return featureReport;
        }
    }
};
Readers* current = nullptr;

void Setup() {
    static const bool done = [] {
        TavCommon::SetTimeDelayCreatorOverride([] { return std::make_unique<NoWait>(); });
        TavTransport::SetTransportCreatorOverride([](const TavCommon::ReaderDefinition& definition) {
            return std::make_unique<TavTest::InProcessTransport>(current->For(definition.ProtocolType), definition);
        });
        const TavFuzz::ScratchFolder& scratch = TavFuzz::ScratchFolder::Instance();
        const std::string blobs = "[Blob1]\nhdr=4 0 2 0\ndata=DE AD\n";
        scratch.Write("cards.ini", reinterpret_cast<const uint8_t*>(blobs.data()), blobs.size());
        return true;
    }();
    (void)done;
}

// Copies what the input had left; an empty vector has no data to copy.
void CopyInto(void* to, const std::vector<uint8_t>& bytes, std::size_t capacity) {
    if (!bytes.empty()) {
        std::memcpy(to, bytes.data(), std::min(bytes.size(), capacity));
    }
}

template <std::size_t Size>
bool Terminated(const char (&text)[Size]) {
    return std::memchr(text, 0, Size) != nullptr;
}

void Check(const TavResult& result) {
    const bool wellFormed = (result.Code == 0 || result.Code == 1) && Terminated(result.ExceptionType) &&
                            Terminated(result.Message) && Terminated(result.File) && Terminated(result.Function) &&
                            Terminated(result.InnerExceptionType) && Terminated(result.InnerMessage) &&
                            Terminated(result.InnerFile) && Terminated(result.InnerFunction) &&
                            (result.Code == 0 || result.Message[0] != '\0');
    if (!wellFormed) {
        std::abort();
    }
}

void OnCard(const uint8_t*, uint32_t) {}

class Session {
public:
    // Most inputs start with an initialised reader, so calls reach its operations.
    explicit Session(FuzzedDataProvider& input) : input_(input) {
        handles_.push_back(nullptr);
        handles_.push_back(reinterpret_cast<void*>(input_.ConsumeIntegral<uintptr_t>()));
        TavCommon::ReaderDefinition definition{};
        definition.ProtocolType = static_cast<uint8_t>(1 + input_.ConsumeIntegralInRange(0, 2));
        TavResult result;
        void* handle = TavReader_Open(&result, &definition, 0);
        Check(result);
        if (handle != nullptr) {
            handles_.push_back(handle);
            opened_.push_back(handle);
            if (input_.ConsumeIntegralInRange(0, 7) != 0) {
                Tav_Init(&result, handle);
                Check(result);
            }
        }
    }
    ~Session() {
        for (void* handle : opened_) {
            TavResult result;
            Tav_Close(&result, handle);
        }
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void Step();

private:
    // The last reader opened, mostly; any handle of the session otherwise.
    void* Handle() {
        const std::size_t pick = input_.ConsumeIntegralInRange<std::size_t>(0, 2 * handles_.size() - 1);
        return handles_[pick < handles_.size() ? pick : handles_.size() - 1];
    }
    template <typename T>
    T* Maybe(T* pointer) {
        return input_.ConsumeBool() ? pointer : nullptr;
    }
    uint8_t Byte() { return input_.ConsumeIntegral<uint8_t>(); }
    std::string FileName() {
        static const char* const kNames[] = {"saved.hwg",   "saved.HWG",   "ble.hwg", "cards.ini",
                                             "missing.ini", "noextension", ""};
        const char* name = kNames[input_.ConsumeIntegralInRange<std::size_t>(0, std::size(kNames) - 1)];
        return *name == '\0' ? std::string() : TavFuzz::ScratchFolder::Instance().Path(name);
    }
    void Open();

    FuzzedDataProvider& input_;
    std::vector<void*> handles_;
    std::vector<void*> opened_;
    std::vector<uint32_t> subscriptions_{0};
};

void Session::Open() {
    TavCommon::ReaderDefinition definition;
    const std::vector<uint8_t> bytes = input_.ConsumeBytes<uint8_t>(sizeof definition);
    std::memset(&definition, 0, sizeof definition);
    CopyInto(&definition, bytes, sizeof definition);
    if (input_.ConsumeBool()) {
        definition.ProtocolType = static_cast<uint8_t>(1 + definition.ProtocolType % 3);
    }
    TavResult result;
    void* handle = TavReader_Open(&result, Maybe(&definition), input_.ConsumeIntegral<int8_t>());
    Check(result);
    if (handle != nullptr) {
        handles_.push_back(handle);
        opened_.push_back(handle);
    }
}

void Session::Step() {
    TavResult result;
    std::memset(&result, 0x5A, sizeof result);
    switch (input_.ConsumeIntegralInRange(0, 32)) {
    case 0:
        Open();
        return;
    case 1:
        Tav_Close(&result, Handle());
        break;
    case 2:
        Tav_Init(&result, Handle());
        break;
    case 3:
        Tav_RefreshMetadata(&result, Handle());
        break;
    case 4: {
        auto metadata = std::make_unique<ReaderMetadataStruct>();
        Tav_GetMetadataStruct(&result, Handle(), Maybe(metadata.get()), input_.ConsumeBool());
        break;
    }
    case 5: {
        uint8_t card[64];
        uint32_t bits = 0;
        TavReader_GetCardData(&result, Handle(), Maybe(card),
                              input_.ConsumeIntegralInRange<std::size_t>(0, sizeof card), Maybe(&bits), Byte());
        break;
    }
    case 6: {
        const uint32_t id =
            TavReader_OnCredentialPresented(&result, Handle(), input_.ConsumeBool() ? &OnCard : nullptr, Byte());
        subscriptions_.push_back(id);
        break;
    }
    case 7:
        TavReader_UnsubscribeCredentialCallback(
            &result, Handle(),
            input_.ConsumeBool()
                ? subscriptions_[input_.ConsumeIntegralInRange<std::size_t>(0, subscriptions_.size() - 1)]
                : input_.ConsumeIntegral<uint32_t>());
        break;
    case 8: {
        auto types = std::make_unique<TavCardTypeList>();
        TavReader_GetSupportedCardTypes(&result, Handle(), Maybe(types.get()));
        break;
    }
    case 9:
        TavReader_Beep(&result, Handle(), Byte(), Byte());
        break;
    case 10: {
        uint8_t volume = 0;
        TavReader_GetBeeperVolume(&result, Handle(), Maybe(&volume));
        break;
    }
    case 11:
        TavReader_SetBeeperVolume(&result, Handle(), TavProtocol::BeepVolume(Byte()));
        break;
    case 12: {
        uint32_t state = 0;
        TavReader_GetModuleState(&result, Handle(), TavProtocol::ReaderModuleId(Byte()), Maybe(&state));
        break;
    }
    case 13:
        TavReader_SetModuleState(&result, Handle(), TavProtocol::ReaderModuleId(Byte()),
                                 TavProtocol::ReaderModuleState(Byte()));
        break;
    case 14:
        TavReader_EnableTransparentMode(&result, Handle(), Byte(), Byte());
        break;
    case 15: {
        TavProtocol::TransparentModeState state{};
        TavProtocol::TransparentModeStatus status{};
        TavReader_GetTransparentModeStatus(&result, Handle(), Maybe(&state), Maybe(&status));
        break;
    }
    case 16: {
        TavProtocol::LuidResponseInformation luid{};
        TavReader_GetLuid(&result, Handle(), Maybe(&luid));
        break;
    }
    case 17:
        TavReader_SetLuid(&result, Handle(), input_.ConsumeIntegral<uint16_t>());
        break;
    case 18: {
        auto configuration = std::make_unique<TavCommon::ReaderConfiguration>();
        auto extended = std::make_unique<TavCommon::ExtendedConfiguration>();
        TavReader_GetReaderConfiguration(&result, Handle(), Byte(), Maybe(configuration.get()), Maybe(extended.get()));
        break;
    }
    case 19: {
        // Records as a host might fill them: any bytes at all.
        auto configuration = std::make_unique<TavCommon::ReaderConfiguration>();
        auto extended = std::make_unique<TavCommon::ExtendedConfiguration>();
        auto hash = std::make_unique<TavCommon::HashData>();
        const std::vector<uint8_t> bytes = input_.ConsumeBytes<uint8_t>(sizeof *configuration + 16);
        CopyInto(configuration.get(), bytes, sizeof *configuration);
        const std::vector<uint8_t> more = input_.ConsumeBytes<uint8_t>(64);
        CopyInto(extended.get(), more, sizeof *extended);
        TavReader_SetReaderConfiguration(&result, Handle(), Byte(), Maybe(configuration.get()), Maybe(extended.get()),
                                         Maybe(hash.get()));
        break;
    }
    case 20: {
        Tav::LedConfiguration led{};
        TavReader_GetLedConfiguration(&result, Handle(), Byte(), Maybe(&led));
        break;
    }
    case 21: {
        const Tav::LedConfiguration led{Byte(), Byte()};
        TavReader_SetLedConfiguration(&result, Handle(), Byte(), Maybe(&led));
        break;
    }
    case 22:
        TavReader_EnableKeystroking(&result, Handle(), input_.ConsumeBool());
        break;
    case 23:
        TavReader_WriteUserDefaultsToReader(&result, Handle());
        break;
    case 24:
        TavReader_ResetReaderConfiguration(&result, Handle(), Byte());
        break;
    case 25: {
        const std::string name = FileName();
        TavReader_WriteHwgFileToReader(&result, Handle(), input_.ConsumeBool() ? name.c_str() : nullptr);
        break;
    }
    case 26: {
        const std::string name = FileName();
        TavReader_ReadHwgFileFromReader(&result, Handle(), input_.ConsumeBool() ? name.c_str() : nullptr,
                                        input_.ConsumeBool());
        break;
    }
    case 27: {
        const std::string name = FileName();
        TavReader_WriteBleConfigurationToReader(&result, Handle(), Byte(),
                                                input_.ConsumeBool() ? name.c_str() : nullptr);
        break;
    }
    case 28: {
        const std::string name = FileName();
        TavReader_ReadBleConfigurationFromReader(&result, Handle(), Byte(),
                                                 input_.ConsumeBool() ? name.c_str() : nullptr);
        break;
    }
    case 29: {
        const std::string name = FileName();
        TavReader_WriteSmartCardConfigurationToReader(&result, Handle(), input_.ConsumeBool() ? name.c_str() : nullptr);
        break;
    }
    case 30: {
        auto configuration = std::make_unique<TavCommon::SmartCardConfiguration>();
        const std::vector<uint8_t> header = input_.ConsumeBytes<uint8_t>(sizeof configuration->Header);
        CopyInto(&configuration->Header, header, sizeof configuration->Header);
        TavReader_ReadSmartCardConfigurationFromReader(&result, Handle(), Maybe(configuration.get()));
        break;
    }
    case 31: {
        // A host's count must not exceed its array; anything up to that is fair.
        TavCommon::ReaderDefinition readers[4]{};
        uint64_t count = input_.ConsumeIntegralInRange<uint64_t>(0, std::size(readers));
        Tav_DiscoverUsbReaders(&result, input_.ConsumeBool() ? readers : nullptr, Maybe(&count));
        break;
    }
    default: {
        Tav::LibraryInfo info{};
        Tav_BuildLibraryInfo(input_.ConsumeBool() ? &info : nullptr);
        return;
    }
    }
    Check(result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    Setup();
    FuzzedDataProvider input(data, size);
    Readers readers;
    current = &readers;
    {
        Session session(input);
        for (int step = 0; step < 24 && input.remaining_bytes() > 0; ++step) {
            session.Step();
        }
    }
    current = nullptr;
    return 0;
}
