#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/ProtocolFailure.h"
#include "support/SimulatedProtocolReader.h"
#include "support/Wire.h"
#include "visitors/GetBluetoothFirmwareVersionVisitor.h"
#include "visitors/GetControlFirmwareVersionVisitor.h"
#include "visitors/GetRadioFirmwareVersionVisitor.h"
#include "visitors/GetSamFirmwareVersionVisitor.h"
#include "visitors/GetStringVisitor.h"

namespace {

using namespace TavProtocol;
using Bytes = std::vector<uint8_t>;
using TavTest::CatchProtocolFailure;
using TavTest::Phrase;
using TavTest::ProtocolFailure;
using TavTest::SimulatedProtocolReader;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr uint8_t kFeatureReport = 1;
constexpr uint8_t kMfp24 = 2;
constexpr uint8_t kSerialBinary = 3;

// The index is a byte: every value outside 1..8 is refused and printed as 0..255.
TEST(IdentityVisitorTest, StringIndexIsCheckedAtBothEnds) {
    struct Row {
        uint8_t index;
        const char* message;  // empty: sent
    };
    const Row rows[] = {{0, "Invalid GetStringIndex value: 0"},
                        {1, ""},
                        {8, ""},
                        {9, "Invalid GetStringIndex value: 9"},
                        {200, "Invalid GetStringIndex value: 200"},
                        {255, "Invalid GetStringIndex value: 255"}};
    for (const uint8_t protocol : {kFeatureReport, kSerialBinary}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(::testing::Message() << "index " << int{row.index} << " on protocol " << int{protocol});
            SimulatedProtocolReader reader(protocol);
            reader.Reader().Model()->strings[0] = "A";
            reader.Reader().Model()->strings[7] = "H";
            GetStringVisitor visitor(static_cast<GetStringIndex>(row.index));
            const ProtocolFailure failure = CatchProtocolFailure([&] { reader.Run(visitor); });
            if (*row.message == '\0') {
                EXPECT_EQ(failure, ProtocolFailure{});
                EXPECT_EQ(visitor.GetResult(), row.index == 1 ? "A" : "H");
                const Bytes expected = protocol == kFeatureReport ? Phrase({0x8C, 0x04, row.index, 0})
                                                                  : Bytes{0xFA, 0x0C, 0x04, row.index, 0};
                EXPECT_THAT(reader.Sent(), ElementsAre(expected));
            } else {
                EXPECT_EQ(failure, (ProtocolFailure{row.message, "GetStringVisitor", "ValidateArguments"}));
                EXPECT_THAT(reader.Sent(), IsEmpty());
            }
        }
    }
}

// 255 means no module was named; 254 is a module like any other and goes out unchanged.
TEST(IdentityVisitorTest, AFirmwareVersionNeedsAModuleType) {
    struct Row {
        const char* visitor;
        uint8_t protocol;
        uint8_t firmwareClass;
        std::function<std::unique_ptr<CommandVisitor>(FirmwareVersionModuleType)> make;
    };
    const auto control = [](FirmwareVersionModuleType module) {
        return std::make_unique<GetControlFirmwareVersionVisitor>(module);
    };
    const auto radio = [](FirmwareVersionModuleType module) {
        return std::make_unique<GetRadioFirmwareVersionVisitor>(module);
    };
    const auto bluetooth = [](FirmwareVersionModuleType module) {
        return std::make_unique<GetBluetoothFirmwareVersionVisitor>(module);
    };
    const std::vector<Row> rows = {
        {"GetControlFirmwareVersionVisitor", kFeatureReport, 0, control},
        {"GetControlFirmwareVersionVisitor", kSerialBinary, 0, control},
        {"GetRadioFirmwareVersionVisitor", kFeatureReport, 1, radio},
        {"GetRadioFirmwareVersionVisitor", kSerialBinary, 1, radio},
        {"GetBluetoothFirmwareVersionVisitor", kFeatureReport, 2, bluetooth},
        {"GetBluetoothFirmwareVersionVisitor", kMfp24, 2, bluetooth},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.visitor << " on protocol " << int{row.protocol});
        SimulatedProtocolReader refused(row.protocol);
        const auto unnamed = row.make(FirmwareVersionModuleType::Unspecified);
        EXPECT_EQ(CatchProtocolFailure([&] { refused.Run(*unnamed); }),
                  (ProtocolFailure{"Module type must be specified", row.visitor, "ValidateArguments"}));
        EXPECT_THAT(refused.Sent(), IsEmpty());

        SimulatedProtocolReader sent(row.protocol);
        const auto named = row.make(static_cast<FirmwareVersionModuleType>(254));
        EXPECT_EQ(CatchProtocolFailure([&] { sent.Run(*named); }), ProtocolFailure{});
        ASSERT_EQ(sent.Sent().size(), 1U);
        if (row.protocol == kFeatureReport) {
            EXPECT_EQ(sent.Sent()[0], Phrase({0x89, 0x03, row.firmwareClass, 254}));
        } else if (row.protocol == kSerialBinary) {
            EXPECT_EQ(sent.Sent()[0], (Bytes{0xFA, 0x09, 0x03, row.firmwareClass, 254}));
        }
    }
}

TEST(IdentityVisitorTest, TheSamReplyIsKeptInAllThreeDecodings) {
    SimulatedProtocolReader reader(kFeatureReport);
    reader.Reader().Model()->samFirmware[3] = {4, {0x09, 0x0A, 0x0B, 0x0C}};
    GetSamFirmwareVersionVisitor visitor(3);
    reader.Run(visitor);
    EXPECT_THAT(reader.Sent(), ElementsAre(Phrase({0x89, 0x03, 0x04, 0x03})));
    const Bytes reply = {0x89, 0x03, 0x04, 0x03, 0x09, 0x0A, 0x0B, 0x0C};
    EXPECT_EQ(visitor.GetFelicaSamFirmwareVersion(), FelicaSamFirmwareVersion::FromReplyPhrase(reply));
    EXPECT_EQ(visitor.GetNxpSamFirmwareVersion(), NxpSamFirmwareVersion::FromReplyPhrase(reply));
    EXPECT_EQ(visitor.GetHidSeSamFirmwareVersion(), HidSeSamFirmwareVersion::FromReplyPhrase(reply));
}

}  // namespace
