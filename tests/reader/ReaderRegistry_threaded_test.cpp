#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Tavelin/ReaderFactory.h"
#include "common/FixedText.h"
#include "facade/ProtocolFacade.h"
#include "reader/ReaderOnSimulator.h"
#include "reader/TimeLimit.h"
#include "sim/FeatureReportFrontEnd.h"
#include "support/InProcessTransport.h"
#include "support/ScopedTransportOverride.h"
#include "support/TempDir.h"

namespace {

using namespace std::chrono_literals;
using TavTest::ReaderOnSimulator;
using TavTest::Wire;
using Size = TavProtocol::GetCardDataSizeParameters;

bool WaitUntilDone(const std::atomic<int>& done) {
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (done < 30) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

// Holds a thread (opening a device, waiting for a reply) until the test lets it go on.
class Gate {
public:
    // On the held thread: waits for Release, or gives up after a time no test waits for.
    void Pass() {
        std::unique_lock lock(mutex_);
        entered_ = true;
        changed_.notify_all();
        gaveUp_ = !changed_.wait_for(lock, 10s, [this] { return released_; });
    }
    void AwaitEntered() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return entered_; });
    }
    void Release() {
        const std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    bool GaveUp() const {
        const std::lock_guard lock(mutex_);
        return gaveUp_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool entered_ = false;
    bool released_ = false;
    bool gaveUp_ = false;
};

// A transport whose device opens only when its gate lets it.
class GatedOpeningTransport : public TavTest::InProcessTransport {
public:
    GatedOpeningTransport(TavSim::FrontEnd& frontEnd, const TavCommon::ReaderDefinition& definition, Gate& gate)
        : InProcessTransport(frontEnd, definition), gate_(gate) {}
    void init(uint32_t retryCount) override {
        gate_.Pass();
        InProcessTransport::init(retryCount);
    }

private:
    Gate& gate_;
};

// A transport that, once armed, holds the reply to the first phrase that starts with the held
// bytes (any phrase when there are none) until the gate lets it go. The held bytes are set before
// it is armed.
class GatedReplyTransport : public TavTest::InProcessTransport {
public:
    GatedReplyTransport(TavSim::FrontEnd& frontEnd, const TavCommon::ReaderDefinition& definition, Gate& gate,
                        std::atomic<bool>& armed, const std::vector<uint8_t>& held)
        : InProcessTransport(frontEnd, definition), gate_(gate), armed_(armed), held_(held) {}
    void transmit(TavTransport::TransportPayload& payload) override {
        if (armed_.load() && payload.data.size() >= held_.size() &&
            std::equal(held_.begin(), held_.end(), payload.data.begin())) {
            armed_ = false;
            holding_ = true;
        }
        InProcessTransport::transmit(payload);
    }
    std::vector<uint8_t> receive(TavTransport::TransportPayload& payload) override {
        if (std::exchange(holding_, false)) {
            gate_.Pass();
        }
        return InProcessTransport::receive(payload);
    }

private:
    Gate& gate_;
    std::atomic<bool>& armed_;
    const std::vector<uint8_t>& held_;
    bool holding_ = false;
};

TEST(ReaderRegistryThreads, ASlowOpenDoesNotStallCallsOnOtherReaders) {
    const TavTest::TimeLimit limit(30s);
    TavSim::SimulatedReader fast;
    TavSim::FeatureReportFrontEnd fastFrontEnd(fast);
    TavSim::SimulatedReader slow;
    TavSim::FeatureReportFrontEnd slowFrontEnd(slow);
    Gate gate;
    const TavTest::ScopedTransportOverride override(
        [&](const TavCommon::ReaderDefinition& definition) -> std::unique_ptr<TavTransport::Transport> {
            if (definition.VendorId == 2) {
                return std::make_unique<GatedOpeningTransport>(slowFrontEnd, definition, gate);
            }
            return std::make_unique<TavTest::InProcessTransport>(fastFrontEnd, definition);
        });
    TavCommon::ReaderDefinition definition = ReaderOnSimulator::Definition(Wire::FeatureReport);
    void* open = Tav::AbstractReader::CreateReaderInstance(definition, 0);

    std::atomic<bool> slowOpened{false};
    definition.VendorId = 2;
    void* slowHandle = nullptr;
    std::thread opener([&] {
        slowHandle = Tav::AbstractReader::CreateReaderInstance(definition, 0);
        slowOpened = true;
    });
    gate.AwaitEntered();
    // The other reader's device is still opening: these calls finish before it may.
    const auto reader = std::dynamic_pointer_cast<Tav::Reader>(Tav::AbstractReader::GetInstance(open));
    EXPECT_NE(reader, nullptr);
    if (reader) {
        reader->Init();
    }
    Tav::AbstractReader::DestroyInstance(open);
    EXPECT_FALSE(slowOpened.load());
    gate.Release();
    opener.join();
    EXPECT_FALSE(gate.GaveUp()) << "calls on another reader waited for a reader's opening";
    EXPECT_NE(Tav::AbstractReader::GetInstance(slowHandle), nullptr);
    Tav::AbstractReader::DestroyInstance(slowHandle);
}

// A reader's operation holds the reader's own mutex only while it checks its capabilities: while
// one thread's card read waits for its reply, another thread gets the reader's metadata.
TEST(ReaderRegistryThreads, AnExchangeInProgressDoesNotHoldUpTheReader) {
    const TavTest::TimeLimit limit(30s);
    TavSim::SimulatedReader sim;
    TavSim::FeatureReportFrontEnd frontEnd(sim);
    Gate gate;
    std::atomic<bool> armed{false};
    const std::vector<uint8_t> anyPhrase;
    const TavTest::ScopedTransportOverride override([&](const TavCommon::ReaderDefinition& definition) {
        return std::make_unique<GatedReplyTransport>(frontEnd, definition, gate, armed, anyPhrase);
    });
    void* handle = Tav::AbstractReader::CreateReaderInstance(ReaderOnSimulator::Definition(Wire::FeatureReport), 0);
    const auto reader = std::dynamic_pointer_cast<Tav::Reader>(Tav::AbstractReader::GetInstance(handle));
    ASSERT_NE(reader, nullptr);
    reader->Init();

    armed = true;
    std::thread cardReader([&] {
        Tav::CardData card;
        reader->GetCardData(card, Size::Long);
    });
    gate.AwaitEntered();
    const ReaderMetadataStruct metadata = reader->GetMetadataStruct(false);
    gate.Release();
    cardReader.join();
    EXPECT_FALSE(gate.GaveUp()) << "the metadata waited for another thread's exchange";
    EXPECT_EQ(int32_t{metadata.ConfigurationCount}, 4);
    Tav::AbstractReader::DestroyInstance(handle);
}

// Operations on one thread, a repeated Init and then the destroy on others: an operation either
// runs or is refused, never touches a freed profile, facade or reader.
TEST(ReaderRegistryThreads, OperationsRacingInitAndDestroyAreSafe) {
    const TavTest::TimeLimit limit(60s);
    ReaderOnSimulator simulated(Wire::FeatureReport);
    simulated.OpenInitialised();
    void* handle = simulated.handle;
    simulated.reader.reset();
    std::atomic<bool> running{true};
    std::atomic<int> done{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&, t] {
            while (running) {
                const auto reader = std::dynamic_pointer_cast<Tav::Reader>(Tav::AbstractReader::GetInstance(handle));
                if (!reader) {
                    break;  // destroyed: the handle is simply not found
                }
                try {
                    if (t == 0) {
                        reader->Init();
                    } else {
                        Tav::CardData card;
                        reader->GetCardData(card, Size::Long);
                        Tav::LedConfiguration led{};
                        reader->GetLedConfiguration(1, led);
                    }
                    ++done;
                } catch (const std::exception&) {
                    // Refused after the destroy began.
                }
            }
        });
    }
    ASSERT_TRUE(WaitUntilDone(done));
    Tav::AbstractReader::DestroyInstance(handle);
    simulated.handle = nullptr;
    running = false;
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(Tav::AbstractReader::GetInstance(handle), nullptr);
}

// A reader whose operation another thread's Close overtakes while one of its exchanges is under
// way: the reply to the held phrase waits until the close has begun.
class OvertakenByClose : public ::testing::Test {
protected:
    using Bytes = std::vector<uint8_t>;

    OvertakenByClose() {
        facadeHandle_ = TavProtocol::ProtocolFacade::CreateInstance(ReaderOnSimulator::Definition(Wire::FeatureReport),
                                                                    0, nullptr);
        reader_ = Tav::ReaderFactory::BuildOstiva(TavProtocol::ProtocolFacade::GetInstance(facadeHandle_),
                                                  facadeHandle_);
    }
    ~OvertakenByClose() override {
        reader_.reset();
        TavProtocol::ProtocolFacade::DestroyInstance(facadeHandle_);
    }

    // Runs the operation on a thread of its own and closes the reader on another while the reply
    // to the held phrase (the operation's first when none is given) is kept back.
    void Overtake(Bytes held, const std::function<void()>& operation) {
        held_ = std::move(held);
        armed_ = true;
        std::thread running(operation);
        gate_.AwaitEntered();
        std::thread closer([this] { reader_->Close(); });
        // Close has dropped the profile and unregistered the facade; it now marks the facade as
        // being destroyed and waits for the exchange under way.
        while (TavProtocol::ProtocolFacade::GetInstance(facadeHandle_) != nullptr) {
            std::this_thread::sleep_for(1ms);
        }
        std::this_thread::sleep_for(50ms);
        gate_.Release();
        running.join();
        closer.join();
        EXPECT_FALSE(gate_.GaveUp());
    }

    TavSim::SimulatedReader sim_;
    TavSim::FeatureReportFrontEnd frontEnd_{sim_};
    Gate gate_;
    std::atomic<bool> armed_{false};
    Bytes held_;
    const TavTest::ScopedTransportOverride override_{[this](const TavCommon::ReaderDefinition& definition) {
        return std::make_unique<GatedReplyTransport>(frontEnd_, definition, gate_, armed_, held_);
    }};
    TavProtocol::ProtocolHandle facadeHandle_ = 0;
    std::unique_ptr<Tav::Reader> reader_;
};

// The close comes while the first control firmware version is read: the read returns without an
// error, with what was read until then and the rest unavailable.
TEST_F(OvertakenByClose, AMetadataReadKeepsTheFieldsReadBeforeTheClose) {
    const TavTest::TimeLimit limit(30s);
    {
        auto model = sim_.Model();
        model->strings[6] = "Desk model X";
        model->controlFirmware[0] = {0, {1, 2, 3, 4}};
        model->radioFirmware[1] = {1, {5, 6, 7, 8}};
        model->hardwareSupported = 0x3FF;
    }
    reader_->Init();
    ReaderMetadataStruct m{};
    Overtake({0x89, 0x03, 0, 0}, [&] { m = reader_->GetMetadataStruct(true); });

    const auto text = [](const char(&field)[512]) { return std::string(TavCommon::ReadFixedField(field)); };
    EXPECT_EQ(text(m.Esn), "ESN0000000000001");
    EXPECT_EQ(m.EsnAvailable, 1);
    EXPECT_EQ(text(m.ModelText), "Desk model X");
    EXPECT_EQ(m.ModelTextAvailable, 1);
    EXPECT_EQ(text(m.DeviceIdText), "1A2B:00C4 (SN-0042)");
    EXPECT_EQ(text(m.PartNumber), "TAV-SIM-0001");
    EXPECT_EQ(m.PartNumberAvailable, 1);
    EXPECT_EQ(m.ControlFirmwareVersion0Available, 1);  // its exchange finished before the close
    EXPECT_EQ(text(m.MicrocontrollerName), "STM32???");
    EXPECT_EQ(m.ProtocolType, 1);

    EXPECT_EQ(m.RadioFirmwareVersion1Available, 0);
    EXPECT_EQ(m.ConfigurationCountAvailable, 0);
    EXPECT_EQ(static_cast<int>(m.ConfigurationCount), 0);
    EXPECT_EQ(m.InstalledHardwareAvailable, 0);
    EXPECT_EQ(m.HardwareListTextAvailable, 0);
}

// What the operation gives when the close comes during the exchange whose phrase starts with
// `held` (the operation's first when empty): "returned", or the type and message it threw.
struct OvertakenCase {
    const char* name;
    std::vector<uint8_t> held;
    std::function<void(Tav::Reader&, const std::string& folder)> operation;
    std::string outcome;
};

// Names the case in the test's listing instead of its bytes.
void PrintTo(const OvertakenCase& overtaken, std::ostream* out) { *out << overtaken.name; }

std::string Outcome(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const Tav::ReaderException& error) {
        return "ReaderException: " + error.Message();
    } catch (const std::runtime_error& error) {
        return std::string("runtime_error: ") + error.what();
    }
    return "returned";
}

const std::string kClosed = "runtime_error: AbstractReader instance has invalid protocol facade";

const std::vector<OvertakenCase> kOvertaken{
    {"InitDuringItsRead", {0x89, 0x03, 0, 0}, [](Tav::Reader& reader, const std::string&) { reader.Init(); }, kClosed},
    {"RefreshMetadataDuringItsRead", {0x89, 0x03, 0, 0},
     [](Tav::Reader& reader, const std::string&) { reader.RefreshMetadata(); }, "returned"},
    {"GetLedConfigurationAtAnEarlierExchange", {0x89, 0x81},
     [](Tav::Reader& reader, const std::string&) {
         Tav::LedConfiguration led{};
         reader.GetLedConfiguration(1, led);
     },
     "runtime_error: ProtocolFacade instance is being destroyed"},
    {"GetLedConfigurationDuringItsLastExchange", {0x82},
     [](Tav::Reader& reader, const std::string&) {
         Tav::LedConfiguration led{};
         reader.GetLedConfiguration(1, led);
     },
     "returned"},
    {"SetLedConfigurationChecksAgainMidway", {0x82},
     [](Tav::Reader& reader, const std::string&) { reader.SetLedConfiguration(1, Tav::LedConfiguration{2, 1}); },
     "ReaderException: Reader capability profile not initialized. Call Init() first."},
    {"ReadBleConfigurationReadsTheMetadataAfterItsExchange", {},
     [](Tav::Reader& reader, const std::string& folder) {
         reader.ReadBleConfigurationFromReader(TavCommon::BleDataType::Data, folder + "/ble.hwg");
     },
     kClosed},
};

class Overtaken : public OvertakenByClose, public ::testing::WithParamInterface<OvertakenCase> {};

TEST_P(Overtaken, ThrowsAtItsFirstStepAfterTheClose) {
    const TavTest::TimeLimit limit(30s);
    sim_.Model()->bleData[1] = std::vector<uint8_t>(384, 0);
    reader_->Init();
    const TavTest::TempDir folder;
    std::string outcome;
    Overtake(GetParam().held,
             [&] { outcome = Outcome([&] { GetParam().operation(*reader_, folder.Path().string()); }); });
    EXPECT_EQ(outcome, GetParam().outcome);
}

INSTANTIATE_TEST_SUITE_P(Table, Overtaken, ::testing::ValuesIn(kOvertaken),
                         [](const ::testing::TestParamInfo<OvertakenCase>& info) { return info.param.name; });

}  // namespace
