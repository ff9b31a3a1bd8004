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
            Keep(handle);
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

    // What the cases draw their arguments from.
    FuzzedDataProvider& Input() { return input_; }
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
    // An opened reader: later calls may name it, and the session closes it.
    void Keep(void* handle) {
        handles_.push_back(handle);
        opened_.push_back(handle);
    }
    void Subscribed(uint32_t id) { subscriptions_.push_back(id); }
    // A subscription id the session was given (or 0), or any value.
    uint32_t Subscription() {
        return input_.ConsumeBool()
                   ? subscriptions_[input_.ConsumeIntegralInRange<std::size_t>(0, subscriptions_.size() - 1)]
                   : input_.ConsumeIntegral<uint32_t>();
    }

private:
    FuzzedDataProvider& input_;
    std::vector<void*> handles_;
    std::vector<void*> opened_;
    std::vector<uint32_t> subscriptions_{0};
};

// One step of a session: a call of one flat function. Each case calls its function itself, so
// ExportedInterface.TheFuzzHarnessCallsEveryFlatFunction, which reads this table, finds every call
// in it; a step draws its case from the table's size, so every case can be drawn.
struct Case {
    void (*call)(Session& session, TavResult& result);
    bool fillsTheRecord = true;  // false for the one function that takes no record
};

const Case kCases[] = {
    {[](Session& s, TavResult& result) {
        TavCommon::ReaderDefinition definition;
        const std::vector<uint8_t> bytes = s.Input().ConsumeBytes<uint8_t>(sizeof definition);
        std::memset(&definition, 0, sizeof definition);
        CopyInto(&definition, bytes, sizeof definition);
        if (s.Input().ConsumeBool()) {
            definition.ProtocolType = static_cast<uint8_t>(1 + definition.ProtocolType % 3);
        }
        void* handle = TavReader_Open(&result, s.Maybe(&definition), s.Input().ConsumeIntegral<int8_t>());
        if (handle != nullptr) {
            s.Keep(handle);
        }
    }},
    {[](Session& s, TavResult& result) { Tav_Close(&result, s.Handle()); }},
    {[](Session& s, TavResult& result) { Tav_Init(&result, s.Handle()); }},
    {[](Session& s, TavResult& result) { Tav_RefreshMetadata(&result, s.Handle()); }},
    {[](Session& s, TavResult& result) {
        auto metadata = std::make_unique<ReaderMetadataStruct>();
        Tav_GetMetadataStruct(&result, s.Handle(), s.Maybe(metadata.get()), s.Input().ConsumeBool());
    }},
    {[](Session& s, TavResult& result) {
        uint8_t card[64];
        uint32_t bits = 0;
        TavReader_GetCardData(&result, s.Handle(), s.Maybe(card),
                              s.Input().ConsumeIntegralInRange<std::size_t>(0, sizeof card), s.Maybe(&bits), s.Byte());
    }},
    {[](Session& s, TavResult& result) {
        s.Subscribed(TavReader_OnCredentialPresented(&result, s.Handle(), s.Input().ConsumeBool() ? &OnCard : nullptr,
                                                     s.Byte()));
    }},
    {[](Session& s, TavResult& result) {
        TavReader_UnsubscribeCredentialCallback(&result, s.Handle(), s.Subscription());
    }},
    {[](Session& s, TavResult& result) {
        auto types = std::make_unique<TavCardTypeList>();
        TavReader_GetSupportedCardTypes(&result, s.Handle(), s.Maybe(types.get()));
    }},
    {[](Session& s, TavResult& result) { TavReader_Beep(&result, s.Handle(), s.Byte(), s.Byte()); }},
    {[](Session& s, TavResult& result) {
        uint8_t volume = 0;
        TavReader_GetBeeperVolume(&result, s.Handle(), s.Maybe(&volume));
    }},
    {[](Session& s, TavResult& result) {
        TavReader_SetBeeperVolume(&result, s.Handle(), TavProtocol::BeepVolume(s.Byte()));
    }},
    {[](Session& s, TavResult& result) {
        uint32_t state = 0;
        TavReader_GetModuleState(&result, s.Handle(), TavProtocol::ReaderModuleId(s.Byte()), s.Maybe(&state));
    }},
    {[](Session& s, TavResult& result) {
        TavReader_SetModuleState(&result, s.Handle(), TavProtocol::ReaderModuleId(s.Byte()),
                                 TavProtocol::ReaderModuleState(s.Byte()));
    }},
    {[](Session& s, TavResult& result) { TavReader_EnableTransparentMode(&result, s.Handle(), s.Byte(), s.Byte()); }},
    {[](Session& s, TavResult& result) {
        TavProtocol::TransparentModeState state{};
        TavProtocol::TransparentModeStatus status{};
        TavReader_GetTransparentModeStatus(&result, s.Handle(), s.Maybe(&state), s.Maybe(&status));
    }},
    {[](Session& s, TavResult& result) {
        TavProtocol::LuidResponseInformation luid{};
        TavReader_GetLuid(&result, s.Handle(), s.Maybe(&luid));
    }},
    {[](Session& s, TavResult& result) {
        TavReader_SetLuid(&result, s.Handle(), s.Input().ConsumeIntegral<uint16_t>());
    }},
    {[](Session& s, TavResult& result) {
        auto configuration = std::make_unique<TavCommon::ReaderConfiguration>();
        auto extended = std::make_unique<TavCommon::ExtendedConfiguration>();
        TavReader_GetReaderConfiguration(&result, s.Handle(), s.Byte(), s.Maybe(configuration.get()),
                                         s.Maybe(extended.get()));
    }},
    {[](Session& s, TavResult& result) {
        // Records as a host might fill them: any bytes at all.
        auto configuration = std::make_unique<TavCommon::ReaderConfiguration>();
        auto extended = std::make_unique<TavCommon::ExtendedConfiguration>();
        auto hash = std::make_unique<TavCommon::HashData>();
        const std::vector<uint8_t> bytes = s.Input().ConsumeBytes<uint8_t>(sizeof *configuration + 16);
        CopyInto(configuration.get(), bytes, sizeof *configuration);
        const std::vector<uint8_t> more = s.Input().ConsumeBytes<uint8_t>(64);
        CopyInto(extended.get(), more, sizeof *extended);
        TavReader_SetReaderConfiguration(&result, s.Handle(), s.Byte(), s.Maybe(configuration.get()),
                                         s.Maybe(extended.get()), s.Maybe(hash.get()));
    }},
    {[](Session& s, TavResult& result) {
        Tav::LedConfiguration led{};
        TavReader_GetLedConfiguration(&result, s.Handle(), s.Byte(), s.Maybe(&led));
    }},
    {[](Session& s, TavResult& result) {
        const Tav::LedConfiguration led{s.Byte(), s.Byte()};
        TavReader_SetLedConfiguration(&result, s.Handle(), s.Byte(), s.Maybe(&led));
    }},
    {[](Session& s, TavResult& result) { TavReader_EnableKeystroking(&result, s.Handle(), s.Input().ConsumeBool()); }},
    {[](Session& s, TavResult& result) { TavReader_WriteUserDefaultsToReader(&result, s.Handle()); }},
    {[](Session& s, TavResult& result) { TavReader_ResetReaderConfiguration(&result, s.Handle(), s.Byte()); }},
    {[](Session& s, TavResult& result) {
        const std::string name = s.FileName();
        TavReader_WriteHwgFileToReader(&result, s.Handle(), s.Input().ConsumeBool() ? name.c_str() : nullptr);
    }},
    {[](Session& s, TavResult& result) {
        const std::string name = s.FileName();
        TavReader_ReadHwgFileFromReader(&result, s.Handle(), s.Input().ConsumeBool() ? name.c_str() : nullptr,
                                        s.Input().ConsumeBool());
    }},
    {[](Session& s, TavResult& result) {
        const std::string name = s.FileName();
        TavReader_WriteBleConfigurationToReader(&result, s.Handle(), s.Byte(),
                                                s.Input().ConsumeBool() ? name.c_str() : nullptr);
    }},
    {[](Session& s, TavResult& result) {
        const std::string name = s.FileName();
        TavReader_ReadBleConfigurationFromReader(&result, s.Handle(), s.Byte(),
                                                 s.Input().ConsumeBool() ? name.c_str() : nullptr);
    }},
    {[](Session& s, TavResult& result) {
        const std::string name = s.FileName();
        TavReader_WriteSmartCardConfigurationToReader(&result, s.Handle(),
                                                      s.Input().ConsumeBool() ? name.c_str() : nullptr);
    }},
    {[](Session& s, TavResult& result) {
        auto configuration = std::make_unique<TavCommon::SmartCardConfiguration>();
        const std::vector<uint8_t> header = s.Input().ConsumeBytes<uint8_t>(sizeof configuration->Header);
        CopyInto(&configuration->Header, header, sizeof configuration->Header);
        TavReader_ReadSmartCardConfigurationFromReader(&result, s.Handle(), s.Maybe(configuration.get()));
    }},
    {[](Session& s, TavResult& result) {
        // A host's count must not exceed its array; anything up to that is fair.
        TavCommon::ReaderDefinition readers[4]{};
        uint64_t count = s.Input().ConsumeIntegralInRange<uint64_t>(0, std::size(readers));
        Tav_DiscoverUsbReaders(&result, s.Input().ConsumeBool() ? readers : nullptr, s.Maybe(&count));
    }},
    {[](Session& s, TavResult&) {
         Tav::LibraryInfo info{};
         Tav_BuildLibraryInfo(s.Input().ConsumeBool() ? &info : nullptr);
     },
     false},
};

void Session::Step() {
    TavResult result;
    std::memset(&result, 0x5A, sizeof result);
    const Case& drawn = kCases[input_.ConsumeIntegralInRange<std::size_t>(0, std::size(kCases) - 1)];
    drawn.call(*this, result);
    if (drawn.fillsTheRecord) {
        Check(result);
    }
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
