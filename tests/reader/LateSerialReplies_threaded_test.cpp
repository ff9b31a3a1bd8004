// Replies that come late on a serial line, through the exported functions: a host that opens a
// serial reader whose replies come up to two receive windows (200 ms) after their request gets from
// every operation the right result or a failure, never a result made of another phrase's reply.
//
// The reader is the simulated one on a pseudo-terminal, behind the library's serial transport.
// Its transmits return once the reader has answered (SerialLineFixture.h), so that only the delays
// a row asks for run against the window, whatever the load of the machine.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Tavelin.h"
#include "reader/TimeLimit.h"
#include "sim/Fault.h"
#include "support/ScopedTransportOverride.h"
#include "support/SerialLineFixture.h"

namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;
using TavSim::Fault;
using TavSim::FaultTrigger;
using Bytes = std::vector<uint8_t>;

constexpr uint32_t kReceiveDelayMs = 10;  // a window of 100 ms, as at the default 25 ms

std::string Message(const TavResult& result) { return result.Code == 0 ? "" : result.Message; }

// The cards a subscription was handed, in order.
class CardLog {
public:
    static void OnCard(const uint8_t* data, uint32_t bitCount) {
        const std::lock_guard lock(mutex_);
        cards_.emplace_back(data, data + (bitCount + 7) / 8);
        arrived_.notify_all();
    }
    static std::vector<Bytes> WaitForOne(milliseconds limit) {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, limit, [] { return !cards_.empty(); });
        return cards_;
    }
    static void Clear() {
        const std::lock_guard lock(mutex_);
        cards_.clear();
    }

private:
    static inline std::mutex mutex_;
    static inline std::condition_variable arrived_;
    static inline std::vector<Bytes> cards_;
};

// The metadata a refresh reads over the serial line, field by field: a value or "unavailable".
std::vector<std::pair<std::string, std::string>> ReadFields(const ReaderMetadataStruct& m) {
    const auto text = [](const char* field, uint8_t available) {
        return available != 0 ? std::string(field) : std::string("unavailable");
    };
    const auto bytes = [](const uint8_t(&field)[6], uint8_t available) {
        return available != 0 ? std::string(field, field + 6) : std::string("unavailable");
    };
    return {
        {"ESN", text(m.Esn, m.EsnAvailable)},
        {"reader string 2", text(m.ReaderString2, m.ReaderString2Available)},
        {"model", text(m.ModelText, m.ModelTextAvailable)},
        {"firmware text", text(m.FirmwareVersionText, m.FirmwareVersionTextAvailable)},
        {"part number", text(m.PartNumber, m.PartNumberAvailable)},
        {"control 0", bytes(m.ControlFirmwareVersion0, m.ControlFirmwareVersion0Available)},
        {"control 1", bytes(m.ControlFirmwareVersion1, m.ControlFirmwareVersion1Available)},
        {"control 2", bytes(m.ControlFirmwareVersion2, m.ControlFirmwareVersion2Available)},
        {"radio 0", bytes(m.RadioFirmwareVersion0, m.RadioFirmwareVersion0Available)},
        {"radio 1", bytes(m.RadioFirmwareVersion1, m.RadioFirmwareVersion1Available)},
        {"radio 2", bytes(m.RadioFirmwareVersion2, m.RadioFirmwareVersion2Available)},
        {"configuration count",
         m.ConfigurationCountAvailable != 0 ? std::to_string(m.ConfigurationCount) : "unavailable"},
    };
}

// A serial reader opened and initialised through the exported functions.
class SerialReaderOnLine : public ::testing::Test {
protected:
    void SetUp() override {
        {
            auto model = reader_.Model();
            model->strings[3] = "FW 1.2.3";
            model->strings[6] = "Model SB-7";
            model->partNumber = "SB-1000-01";
            for (uint8_t module = 0; module < 3; ++module) {
                model->controlFirmware[module] = {0, {1, 2, 3, static_cast<uint8_t>(10 + module)}};
                model->radioFirmware[module] = {1, {4, 5, 6, static_cast<uint8_t>(20 + module)}};
            }
            // Block 1 tells the configurations apart; the others are zero, so a block read as
            // another shows too.
            for (std::size_t c = 0; c < model->configurations.size(); ++c) {
                auto& block1 = model->configurations[c].blocks[0];
                block1[0] = static_cast<uint8_t>(1 + c);  // FAC digit count
                block1[1] = 2;                            // ID digit count
                block1[3] = 26;                           // ID bit count
            }
        }
        const auto definition = line_.Definition();
        TavResult result;
        handle_ = TavReader_Open(&result, &definition, 0);
        ASSERT_EQ(Message(result), "");
        Tav_Init(&result, handle_);
        ASSERT_EQ(Message(result), "");
        Tav_GetMetadataStruct(&result, handle_, metadata_.get(), false);
        ASSERT_EQ(Message(result), "");
        ASSERT_EQ(ReadFields(*metadata_)[4].second, "SB-1000-01");
    }
    void TearDown() override {
        TavResult result;
        Tav_Close(&result, handle_);
    }

    // The command's next `times` replies come `late`.
    void Delay(Bytes command, milliseconds late, int times = TavSim::FaultPlan::kEveryTime) {
        frontEnd_.InjectFault(FaultTrigger::OnCommand(std::move(command)), Fault::LateReply(late), times);
    }

    TavSim::SimulatedReader reader_;
    TavSim::SerialBinaryFrontEnd frontEnd_{reader_};
    TavSim::SerialLineServer line_{frontEnd_};
    TavTest::ScopedTransportOverride override_{[this](const TavCommon::ReaderDefinition&) {
        auto transport = std::make_unique<TavTest::AnsweredSerialTransport>(line_);
        transport->setReceiveDelayMs(kReceiveDelayMs);
        return transport;
    }};
    void* handle_ = nullptr;
    std::unique_ptr<ReaderMetadataStruct> metadata_ = std::make_unique<ReaderMetadataStruct>();
};

class LateSerialReplies : public SerialReaderOnLine, public ::testing::WithParamInterface<int> {
protected:
    milliseconds Late() const { return milliseconds(GetParam()); }
};

TEST_P(LateSerialReplies, NoResultIsTakenFromAnotherPhrasesReply) {
    const TavTest::TimeLimit limit(60s, "the late-reply rows");
    TavResult result;
    // Replies on time are all right; later ones may fail.
    const bool onTime = GetParam() == 0;

    // Init with a metadata refresh: the firmware text, then the part number's three phrases, late.
    Delay({0xFA, 0x0C, 0x04, 0x04}, Late());
    Delay({0xFA, 0x0C, 0x01}, Late());
    auto refreshed = std::make_unique<ReaderMetadataStruct>();
    Tav_GetMetadataStruct(&result, handle_, refreshed.get(), true);
    EXPECT_EQ(Message(result), "");
    frontEnd_.ClearFaults();
    const auto clean = ReadFields(*metadata_);
    const auto fields = ReadFields(*refreshed);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].second != "unavailable" || onTime) {
            EXPECT_EQ(fields[i], clean[i]);
        }
    }

    // A beep answered late, then one the reader refuses, its refusal answered 20 ms late.
    frontEnd_.InjectFault(FaultTrigger::OnCommand({0xFA, 0x0C, 0x03}), Fault::LateReply(Late()), 1);
    frontEnd_.InjectFault(FaultTrigger::OnCommand({0xFA, 0x0C, 0x03}), Fault::WrongStatusWord(0x6A82).After(20ms), 1);
    TavReader_Beep(&result, handle_, 1, 0);
    TavReader_Beep(&result, handle_, 2, 0);
    EXPECT_NE(Message(result).find("Beep command received error response: CARD_NOT_FOUND"), std::string::npos)
        << Message(result);

    // Two LUID reads answered late, the LUID changed between them, then one on time.
    for (const uint16_t luid : {0x1111, 0x2222}) {
        reader_.Model()->luid = luid;
        Delay({0xFA, 0x05}, Late(), 1);
        TavProtocol::LuidResponseInformation read{};
        TavReader_GetLuid(&result, handle_, &read);
        if (result.Code == 0 || onTime) {
            EXPECT_EQ(read, (TavProtocol::LuidResponseInformation{luid, luid}));
        }
    }
    TavProtocol::LuidResponseInformation read{};
    TavReader_GetLuid(&result, handle_, &read);
    EXPECT_EQ(Message(result), "");
    EXPECT_EQ(read, (TavProtocol::LuidResponseInformation{0x2222, 0x2222}));

    // Two configuration reads whose first block replies come late: each configuration's own blocks
    // or a failure.
    TavCommon::ReaderConfiguration expected[2]{};
    TavCommon::ExtendedConfiguration extended{};
    for (uint8_t index : {1, 2}) {
        TavReader_GetReaderConfiguration(&result, handle_, index, &expected[index - 1], &extended);
        ASSERT_EQ(Message(result), "");
    }
    Delay({0xFA, 0x01}, Late(), 2);
    for (uint8_t index : {1, 2}) {
        TavCommon::ReaderConfiguration configuration{};
        TavReader_GetReaderConfiguration(&result, handle_, index, &configuration, &extended);
        if (result.Code == 0 || onTime) {
            EXPECT_EQ(std::memcmp(&configuration, &expected[index - 1], sizeof configuration), 0) << int{index};
        }
    }
    frontEnd_.ClearFaults();

    // A card polled by callback whose first read is answered late: delivered once or not at all.
    CardLog::Clear();
    const Bytes card{0x02, 0x5A, 0x3C, 0x40};
    reader_.Model()->presentedCards.push_back({.cardType = 0x0101, .bitCount = 26, .data = card});
    Delay({0xFA, 0x00}, Late(), 1);
    const uint32_t subscription = TavReader_OnCredentialPresented(&result, handle_, CardLog::OnCard, 2);
    ASSERT_EQ(Message(result), "");
    const auto cards = CardLog::WaitForOne(3s);
    TavReader_UnsubscribeCredentialCallback(&result, handle_, subscription);
    EXPECT_LE(cards.size(), 1u);
    EXPECT_TRUE(!cards.empty() || !onTime);
    for (const Bytes& delivered : cards) {
        EXPECT_EQ(delivered, card);
    }
}

INSTANTIATE_TEST_SUITE_P(Delays, LateSerialReplies, ::testing::Values(0, 90, 105, 120, 150, 190),
                         [](const auto& info) { return std::to_string(info.param) + "ms"; });

// A reply the reader stops in the middle of: the LUID read gets its first nine bytes only, and the
// beep that follows must not take the rest, 90 00, for its own answer.
TEST_F(SerialReaderOnLine, TheRestOfAReplyCutByAPauseIsNotTakenForTheNextCommands) {
    TavResult result;
    frontEnd_.InjectFault(FaultTrigger::OnCommand({0xFA, 0x05}), Fault::PausedReply(9, 60ms), 1);
    TavProtocol::LuidResponseInformation luid{};
    TavReader_GetLuid(&result, handle_, &luid);
    EXPECT_NE(Message(result).find("Invalid ACK data received from reader after GetLuid command"), std::string::npos)
        << Message(result);
    frontEnd_.InjectFault(FaultTrigger::OnCommand({0xFA, 0x0C, 0x03}), Fault::WrongStatusWord(0x6A82), 1);
    TavReader_Beep(&result, handle_, 1, 0);
    EXPECT_NE(Message(result).find("Beep command received error response: CARD_NOT_FOUND"), std::string::npos)
        << Message(result);
}

// The one limit: a reply later than two receive windows is read as the next phrase's. Where the
// replies echo what they answer, the command that reads it fails: control firmware version 2 is
// never version 1's.
TEST_F(SerialReaderOnLine, BeyondTwoWindowsAReplyThatEchoesItsRequestFailsTheNextCommand) {
    Delay({0xFA, 0x09, 0x03, 0x00, 0x01}, 250ms, 1);
    TavResult result;
    auto refreshed = std::make_unique<ReaderMetadataStruct>();
    Tav_GetMetadataStruct(&result, handle_, refreshed.get(), true);
    EXPECT_EQ(Message(result), "");
    const auto fields = ReadFields(*refreshed);
    EXPECT_EQ(fields[6], (std::pair<std::string, std::string>{"control 1", "unavailable"}));
    EXPECT_EQ(fields[7], (std::pair<std::string, std::string>{"control 2", "unavailable"}));
}

// A reply that never ends: the next command fails, unsent, after a bounded time and says why.
TEST_F(SerialReaderOnLine, ALineThatNeverGoesQuietFailsTheNextCommandInBoundedTime) {
    TavResult result;
    frontEnd_.InjectFault(FaultTrigger::OnCommand({0xFA, 0x05}), Fault::EndlessReply(), 1);
    TavProtocol::LuidResponseInformation luid{};
    TavReader_GetLuid(&result, handle_, &luid);
    EXPECT_EQ(result.Code, 1);
    frontEnd_.ClearReceived();
    const auto start = std::chrono::steady_clock::now();
    TavReader_Beep(&result, handle_, 1, 0);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_NE(Message(result).find("The serial line did not go quiet within 1000 ms after a late or unreadable reply; "
                                   "the phrase was not sent."),
              std::string::npos)
        << Message(result);
    EXPECT_GE(elapsed, 1s);
    EXPECT_LT(elapsed, 10s);
    EXPECT_TRUE(frontEnd_.ReceivedBytes().empty());
}

}  // namespace
