#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "CommandCases.h"
#include "featureReport/GetExtendedConfigurationWithFeatureReportProtocol.h"
#include "featureReport/SetExtendedConfigurationWithFeatureReportProtocol.h"
#include "support/StockedReader.h"

namespace {

using namespace TavProtocol;
using TavSim::Fault;
using TavTest::SimulatedFeatureReportReader;
using TavTest::Phrase;
using TavTest::ValidExtendedImage;
using Bytes = std::vector<uint8_t>;
using Hash = std::array<uint8_t, 16>;

void StoreImage(SimulatedFeatureReportReader& device, const Bytes& image) {
    auto model = device.reader.Model();
    std::copy(image.begin(), image.end(), model->ActiveConfiguration().extended.begin());
}

std::vector<Bytes> RecordAddresses(int count) {
    std::vector<Bytes> phrases;
    for (int i = 0; i < count; ++i) {
        phrases.push_back(Phrase({0x85, static_cast<uint8_t>(i), 0x00, 0x10}));
    }
    return phrases;
}

TavCommon::ExtendedConfiguration Read(TavTransport::Transport& transport) {
    GetExtendedConfigurationWithFeatureReportProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    return command.GetResult();
}

void Write(TavTransport::Transport& transport, const Bytes& image, const Hash& hash1, const Hash& hash2,
           uint8_t sendHash1, uint8_t sendHash2) {
    SetExtendedConfigurationWithFeatureReportProtocol command(image, hash1, hash2, sendHash1, sendHash2, 16);
    command.Execute(transport);
    EXPECT_EQ(command.ResponsePhraseCount(), 0);
}

Hash Counting(uint8_t first) {
    Hash hash{};
    for (std::size_t i = 0; i < hash.size(); ++i) {
        hash[i] = static_cast<uint8_t>(first + i);
    }
    return hash;
}

TEST(ExtendedConfigurationCommandsTest, ReadAsksForSixteenRecordsAndDecodesTheirImage) {
    SimulatedFeatureReportReader device;
    StoreImage(device, ValidExtendedImage());
    EXPECT_EQ(Read(device.transport), TavCommon::ExtendedConfiguration::FromVector(ValidExtendedImage()));
    const auto sent = device.Sent();
    EXPECT_EQ(sent, RecordAddresses(16));
    EXPECT_EQ(sent.front(), Phrase({0x85, 0x00, 0x00, 0x10}));
    EXPECT_EQ(sent.back(), Phrase({0x85, 0x0F, 0x00, 0x10}));
}

// Each record is an address phrase and a data phrase; the hashes follow when asked for.
TEST(ExtendedConfigurationCommandsTest, WriteSendsRecordsThenTheHashesAskedFor) {
    const Hash zero{};
    const Hash hash1 = Counting(0xA0);
    const Hash hash2 = Counting(0xC0);
    const auto hashPhrases = [](uint8_t selector, const Hash& hash) {
        return std::vector<Bytes>{Phrase({0x85, 0, selector, 0}), Bytes(hash.begin(), hash.begin() + 8),
                                  Phrase({0x85, 1, selector, 0}), Bytes(hash.begin() + 8, hash.end())};
    };
    struct Case {
        const char* name;
        uint8_t sendHash1;
        uint8_t sendHash2;
        std::vector<Bytes> hashes;
    };
    for (const auto& testCase : std::vector<Case>{{"no hash", 0, 0, {}},
                                                  {"Hash2 alone", 0, 1, hashPhrases(0x11, hash2)},
                                                  {"both hashes, Hash1 first", 1, 1, [&] {
                                                       auto phrases = hashPhrases(0x01, hash1);
                                                       const auto second = hashPhrases(0x11, hash2);
                                                       phrases.insert(phrases.end(), second.begin(), second.end());
                                                       return phrases;
                                                   }()}}) {
        SCOPED_TRACE(testCase.name);
        SimulatedFeatureReportReader device;
        const Bytes image = ValidExtendedImage();
        Write(device.transport, image, hash1, hash2, testCase.sendHash1, testCase.sendHash2);

        std::vector<Bytes> expected;
        for (uint8_t record = 0; record < 16; ++record) {
            expected.push_back(Phrase({0x85, record, 0x00, 0x10}));
            expected.emplace_back(image.begin() + record * 8, image.begin() + record * 8 + 8);
        }
        expected.insert(expected.end(), testCase.hashes.begin(), testCase.hashes.end());
        EXPECT_EQ(device.Sent(), expected);

        const auto model = device.reader.Model();
        EXPECT_EQ(Bytes(model->ActiveConfiguration().extended.begin(), model->ActiveConfiguration().extended.end()),
                  image);
        EXPECT_EQ(model->extendedHash1, testCase.sendHash1 ? hash1 : zero);
        EXPECT_EQ(model->extendedHash2, testCase.sendHash2 ? hash2 : zero);
    }
}

TEST(ExtendedConfigurationCommandsTest, WrittenImageReadsBack) {
    SimulatedFeatureReportReader device;
    Write(device.transport, ValidExtendedImage(), Hash{}, Hash{}, 0, 0);
    EXPECT_EQ(Read(device.transport).ToVector(), ValidExtendedImage());
}

TEST(ExtendedConfigurationCommandsTest, EveryCheckFailsWithItsOwnMessage) {
    const auto stored = [](std::size_t phrase, Fault fault) {
        return [phrase, fault](SimulatedFeatureReportReader& device) {
            StoreImage(device, ValidExtendedImage());
            device.FaultOnPhrase(phrase, fault);
        };
    };
    const auto read = [](auto& transport) { Read(transport); };
    const char* get = "GetExtendedConfigurationWithFeatureReportProtocol";
    const char* set = "SetExtendedConfigurationWithFeatureReportProtocol";
    const char* wrongCount =
        "Invalid response has been received from reader while executing GetExtendedConfiguration command";
    const char* badHeader = "Invalid Header data received from reader while executing GetExtendedConfiguration command";
    TavTest::RunFailureCases({
        {"a header reply of 7 bytes",
         stored(0, Fault::ShortReply(7)),
         read,
         {"Invalid Header response received from reader while executing GetExtendedConfiguration command", get,
          "validateAndParseHeaderResponse"}},
        {"a header of 8 records",
         stored(0, Fault::CorruptByte(3, 0x08)),
         read,
         {badHeader, get, "validateAndParseHeaderResponse"}},
        {"a header of structure version 0",
         stored(0, Fault::CorruptByte(0, 0x04)),
         read,
         {badHeader, get, "validateAndParseHeaderResponse"}},
        {"a header of 3-byte headers",
         stored(0, Fault::CorruptByte(0, 0x13)),
         read,
         {badHeader, get, "validateAndParseHeaderResponse"}},
        {"a header of 2-byte field entries",
         stored(0, Fault::CorruptByte(1, 0x21)),
         read,
         {badHeader, get, "validateAndParseHeaderResponse"}},
        {"a header of 4-byte separator entries",
         stored(0, Fault::CorruptByte(2, 0x40)),
         read,
         {badHeader, get, "validateAndParseHeaderResponse"}},
        {"a short record",
         stored(5, Fault::ShortReply(6)),
         read,
         {"Invalid response phrase received from reader while executing GetExtendedConfiguration command", get,
          "ValidateResponse"}},
        {"the exchange broken off",
         stored(5, Fault::DeviceGone()),
         [](auto& transport) {
             GetExtendedConfigurationWithFeatureReportProtocol command;
             EXPECT_THROW(command.Execute(transport), std::runtime_error);
             command.ValidateResponse();
         },
         {wrongCount, get, "ValidateResponse"}},
        {"decoded before the exchange",
         nullptr,
         [](auto&) { GetExtendedConfigurationWithFeatureReportProtocol().GetResult(); },
         {wrongCount, get, "GetResult"}},
        {"more phrases than the configuration has",
         nullptr,
         [](auto& transport) {
             SetExtendedConfigurationWithFeatureReportProtocol command(ValidExtendedImage(), Hash{}, Hash{}, 0, 0, 16);
             command.Execute(transport);
             command.NextCommandPhrase();
         },
         {"More command phrases requested than available data to send", set, "NextCommandPhrase"}},
    });
}

// A header that fails is refused as it arrives: nothing after phrase 0 goes out.
TEST(ExtendedConfigurationCommandsTest, BadHeaderStopsTheExchangeAtOnce) {
    SimulatedFeatureReportReader device;
    StoreImage(device, ValidExtendedImage());
    device.FaultOnPhrase(0, Fault::CorruptByte(3, 0x08));
    EXPECT_THROW(Read(device.transport), ProtocolException);
    EXPECT_EQ(device.Sent(), RecordAddresses(1));
}

// A record count whose records would run past the form is refused before any phrase.
TEST(ExtendedConfigurationCommandsTest, RecordCountBeyondTheFormIsRefusedBeforeAnyPhrase) {
    struct Case {
        std::size_t formSize;
        uint8_t records;
        const char* message;
    };
    for (const auto& testCase : std::vector<Case>{
             {128, 17, "Extended configuration record count 17 runs past its 128 bytes"},
             {120, 16, "Extended configuration record count 16 runs past its 120 bytes"},
             {128, 255, "Extended configuration record count 255 runs past its 128 bytes"},
         }) {
        SCOPED_TRACE(testCase.message);
        TavTest::ExpectProtocolFailure(
            [&] {
                SetExtendedConfigurationWithFeatureReportProtocol(Bytes(testCase.formSize, 0), Hash{}, Hash{}, 1, 1,
                                                                  testCase.records);
            },
            {testCase.message, "SetExtendedConfigurationWithFeatureReportProtocol",
             "SetExtendedConfigurationWithFeatureReportProtocol"});
    }
}

// Run twice, the write starts again from the first record.
TEST(ExtendedConfigurationCommandsTest, WriteRunTwiceSendsEverythingTwice) {
    SimulatedFeatureReportReader device;
    SetExtendedConfigurationWithFeatureReportProtocol command(ValidExtendedImage(), Counting(1), Hash{}, 1, 0, 16);
    command.Execute(device.transport);
    command.Execute(device.transport);
    const auto sent = device.Sent();
    ASSERT_EQ(sent.size(), 72u);
    EXPECT_TRUE(std::equal(sent.begin(), sent.begin() + 36, sent.begin() + 36));
}

}  // namespace
