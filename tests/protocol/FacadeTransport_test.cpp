#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/FixedText.h"
#include "facade/ProtocolFacade.h"
#include "facade/ProtocolLibraryInfo.h"
#include "sim/FeatureReportFrontEnd.h"
#include "sim/SimulatedReader.h"
#include "support/ProtocolFailure.h"
#include "support/SimulatedFacade.h"
#include "support/SimulatedFeatureReportReader.h"

namespace {

using TavProtocol::GetCardDataSizeParameters;
using TavProtocol::ProtocolFacade;
using TavTest::Phrase;
using Bytes = std::vector<uint8_t>;
using TavTest::IsAllZero;

// The text as GetLibraryInfoAsString must give it, built here from the record field by field.
std::string ExpectedLibraryText() {
    Tav::LibraryInfo info;
    TavProtocol::BuildProtocolLibraryInfo(info);
    using TavCommon::ReadFixedField;
    std::string text;
    const std::pair<const char*, std::string_view> lines[] = {
        {"Library Name", ReadFixedField(info.LibraryName)},
        {"Version", ReadFixedField(info.Version)},
        {"Is Alpha Build", ReadFixedField(info.IsAlphaBuild)},
        {"Build Ver", ReadFixedField(info.BuildVersion)},
        {"Build Date", ReadFixedField(info.BuildDate)},
        {"Build Number", ReadFixedField(info.BuildNumber)},
        {"Build Type", ReadFixedField(info.BuildType)},
        {"Bump Type", ReadFixedField(info.BumpType)},
        {"Informational Version", ReadFixedField(info.InformationalVersion)},
        {"Build Platform", ReadFixedField(info.BuildPlatform)},
        {"Build Toolchain", ReadFixedField(info.BuildToolchain)},
        {"Commit", ReadFixedField(info.Commit)},
        {"Branch", ReadFixedField(info.Branch)},
    };
    for (const auto& [label, value] : lines) {
        text += (text.empty() ? "" : "\n") + std::string(label) + ": " + std::string(value);
    }
    return text;
}

TEST(FacadeLibraryInfoTest, TheRecordIsTheProtocolLibrarysOwn) {
    Tav::LibraryInfo expected;
    TavProtocol::BuildProtocolLibraryInfo(expected);
    Tav::LibraryInfo info;
    std::memset(&info, 0x5A, sizeof info);
    EXPECT_TRUE(IsAllZero(ProtocolFacade::GetLibraryInfo(info)));
    EXPECT_EQ(std::memcmp(&info, &expected, sizeof info), 0);
}

TEST(FacadeLibraryInfoTest, TheTextNeedsRoomForItsTerminatorAndEndsRightThere) {
    const std::string text = ExpectedLibraryText();
    struct SizeCase {
        std::size_t size;
        bool fits;
    };
    for (const SizeCase& row : {SizeCase{0, false}, SizeCase{text.size() - 1, false}, SizeCase{text.size(), false},
                                SizeCase{text.size() + 1, true}, SizeCase{text.size() + 100, true}}) {
        SCOPED_TRACE(row.size);
        // Stale bytes from an earlier, longer text, and a guard behind the buffer's end.
        std::vector<char> buffer(row.size + 1, 'q');
        const ProtocolCommandResult result = ProtocolFacade::GetLibraryInfoAsString(buffer.data(), row.size);
        if (!row.fits) {
            EXPECT_TRUE(result.HasException);
            EXPECT_STREQ(result.Message, "Buffer size too small for library info string");
            EXPECT_STREQ(result.ExceptionType, "");
            EXPECT_STREQ(result.File, "");
            EXPECT_EQ(result.Line, 0);
            EXPECT_EQ(buffer, std::vector<char>(row.size + 1, 'q')) << "nothing is written";
            continue;
        }
        EXPECT_TRUE(IsAllZero(result));
        EXPECT_EQ(std::string(buffer.data(), text.size()), text);
        EXPECT_EQ(std::vector<char>(buffer.begin() + static_cast<long>(text.size()), buffer.end() - 1),
                  std::vector<char>(row.size - text.size(), '\0'))
            << "the text ends at its own NUL, with nothing stale after it";
        EXPECT_EQ(buffer.back(), 'q') << "nothing past the size";
    }
}

TEST(FacadeLibraryInfoTest, ANullBufferIsRefusedUnlessItsSizeIsZero) {
    const ProtocolCommandResult refused = ProtocolFacade::GetLibraryInfoAsString(nullptr, 4096);
    EXPECT_TRUE(refused.HasException);
    EXPECT_STREQ(refused.ExceptionType, "InvalidArgument");
    EXPECT_STREQ(refused.Message, "buffer pointer cannot be null");
    EXPECT_STREQ(refused.Function, "GetLibraryInfoAsString");

    const ProtocolCommandResult empty = ProtocolFacade::GetLibraryInfoAsString(nullptr, 0);
    EXPECT_STREQ(empty.Message, "Buffer size too small for library info string");
}

TEST(FacadeLibraryInfoTest, SupportedProtocolsReplaceTheCallersBytes) {
    std::vector<unsigned char> protocols = {9, 9, 9, 9, 9, 9};
    EXPECT_TRUE(IsAllZero(ProtocolFacade::GetSupportedProtocols(protocols)));
    EXPECT_THAT(protocols, ::testing::ElementsAre(1, 2, 3, 254));
}

class FeatureReportRawTransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        reader_.Model()->presentedCards.push_back({0x0107, 200, Bytes(25, 0x11)});
        ASSERT_TRUE(facade_.IsOpen());
    }

    TavSim::SimulatedReader reader_;
    TavSim::FeatureReportFrontEnd frontEnd_{reader_};
    TavTest::SimulatedFacade facade_{frontEnd_, 1};
};

TEST_F(FeatureReportRawTransportTest, APhraseSentByHandIsAnsweredAsACommandsWouldBe) {
    TavTransport::TransportPayload request{Phrase({0x8E}), 8, TavTransport::ReportType::Feature};
    ASSERT_TRUE(IsAllZero(facade_->Transmit(request)));
    EXPECT_EQ(frontEnd_.ReceivedBytes(), std::vector<Bytes>{Phrase({0x8E})});

    TavTransport::TransportPayload reply{{7, 7, 7}, 8, TavTransport::ReportType::Feature};
    ASSERT_TRUE(IsAllZero(facade_->Receive(reply)));
    ASSERT_EQ(reply.data.size(), 8U) << "the reply replaces what the payload held";
    EXPECT_EQ(reply.data[0], 200) << "the bit count of the presented card";
}

TEST_F(FeatureReportRawTransportTest, AReaderThatIsGoneFailsBothDirectionsAsRecords) {
    reader_.Disconnect();
    TavTransport::TransportPayload request{Phrase({0x8E}), 8, TavTransport::ReportType::Feature};
    const ProtocolCommandResult sent = facade_->Transmit(request);
    EXPECT_TRUE(sent.HasException);
    EXPECT_STREQ(sent.ExceptionType, "StdRuntimeError");

    TavTransport::TransportPayload reply{{7, 7, 7}, 8, TavTransport::ReportType::Feature};
    EXPECT_TRUE(facade_->Receive(reply).HasException);
    EXPECT_EQ(reply.data, (Bytes{7, 7, 7})) << "a failed receive leaves the payload alone";
}

// The card bytes always number 32, so every buffer question is settled before the card is read.
TEST_F(FeatureReportRawTransportTest, TheCardBufferIsCheckedBeforeTheRead) {
    struct BufferCase {
        const char* name;
        bool nullBuffer;
        unsigned long size;
        const char* type;  // null: the read succeeds
        const char* message;
        int32_t line;
    };
    const char* const kTooSmall =
        "Input buffer is too small to hold the result. This command requires at least 32 bytes.";
    const BufferCase cases[] = {
        {"31 bytes", false, 31, "ElvarinException", kTooSmall, 1141},
        {"no buffer, no size", true, 0, "ElvarinException", kTooSmall, 1141},
        {"no buffer, a size", true, 32, "InvalidArgument", "buffer pointer cannot be null", -1},
        {"32 bytes", false, 32, nullptr, nullptr, 0},
    };
    for (const BufferCase& row : cases) {
        SCOPED_TRACE(row.name);
        frontEnd_.ClearReceived();
        Bytes buffer(33, 0xEE);
        const ProtocolCommandResult result =
            facade_->GetCardData(GetCardDataSizeParameters::Short, row.nullBuffer ? nullptr : buffer.data(), row.size);
        if (row.type == nullptr) {
            ASSERT_FALSE(result.HasException) << result.Message;
            EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 8), Bytes(8, 0x11));
            EXPECT_EQ(buffer[32], 0xEE) << "no terminator";
            continue;
        }
        EXPECT_TRUE(result.HasException);
        EXPECT_STREQ(result.ExceptionType, row.type);
        EXPECT_STREQ(result.Message, row.message);
        EXPECT_STREQ(result.File, "ProtocolFacade");
        if (row.line > 0) {
            EXPECT_EQ(result.Line, row.line);
            EXPECT_STREQ(result.Function, "operator()");
        }
        EXPECT_TRUE(frontEnd_.ReceivedBytes().empty()) << "the card was not read";
        EXPECT_EQ(buffer, Bytes(33, 0xEE));
    }
}

}  // namespace
