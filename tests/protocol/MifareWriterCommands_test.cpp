// MIFARE writer commands against the simulated writer: the phrase each sends, what the writer did,
// and every check of the acknowledgement.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/ProtocolException.h"
#include "featureReport/GetMifareWriterStatusWithFeatureReportProtocol.h"
#include "featureReport/MifareWriterChangeKeyWithFeatureReportProtocol.h"
#include "featureReport/MifareWriterCreateAidWithFeatureReportProtocol.h"
#include "featureReport/MifareWriterCreateFileWithFeatureReportProtocol.h"
#include "featureReport/MifareWriterFormatCardWithFeatureReportProtocol.h"
#include "sim/FeatureReportFrontEnd.h"
#include "support/InProcessTransport.h"

namespace {

using Bytes = std::vector<uint8_t>;
using TavSim::Fault;
using TavSim::FaultTrigger;
using testing::ElementsAre;

const TavProtocol::MifareWriterAidInformation kAid{
    .Aid = 0x00123456, .Byte4 = 0x07, .CardKeyNo = 0x02, .OperationType = 0x01, .KeyType = 0x04};
const TavProtocol::MifareWriterKeyInformation kKey{.CardKeyNumber = 3, .Byte1 = 0, .Byte2 = 0, .FeatureFlag = 2};
const TavProtocol::MifareWriterFileInformation kFile{
    .Byte0 = 0x05, .FileLength = 0x80, .WriteKey = 0x0E, .Byte3 = 0x09, .EncryptionMode = 3, .FeatureFlag = 3};

template <typename CommandType, typename... Arguments>
std::function<void(TavTransport::Transport&)> Run(Arguments... arguments) {
    return [=](TavTransport::Transport& transport) {
        CommandType command(arguments...);
        command.Execute(transport);
        command.ValidateResponse();
    };
}

// A writing command with its phrase and the texts of its three checks.
struct WritingCase {
    const char* name;
    std::function<void(TavTransport::Transport&)> run;
    Bytes phrase;
    const char* emptyText;
    const char* ackText;
    const char* errorText;  // followed by the code in decimal
    const char* source;
};

const std::vector<WritingCase>& WritingCases() {
    static const std::vector<WritingCase> cases{
        {"CreateAid",
         Run<TavProtocol::MifareWriterCreateAidWithFeatureReportProtocol>(kAid),
         {0x88, 0x81, 0x12, 0x34, 0x56, 0x07, 0x21, 0x04},
         "Empty response has been received for MifareWriterCreateAid command.",
         "Invalid ACK data has been received for MifareWriterCreateAid command.",
         "MifareWriterCreateAid command was failed with error code: ",
         "MifareWriterCreateAidWithFeatureReportProtocol"},
        {"ChangeKey",
         Run<TavProtocol::MifareWriterChangeKeyWithFeatureReportProtocol>(kKey),
         {0x88, 0x82, 0x03, 0x00, 0x00, 0x02, 0x00, 0x00},
         "Invalid response size",
         "Invalid ACK data",
         "Command failed with error code: ",
         "MifareWriterChangeKeyWithFeatureReportProtocol"},
        {"CreateFile",
         Run<TavProtocol::MifareWriterCreateFileWithFeatureReportProtocol>(kFile),
         {0x88, 0x83, 0x05, 0x80, 0x0E, 0x09, 0x03, 0x03},
         "Invalid response size",
         "Invalid ACK data",
         "Command was failed with error code: ",
         "MifareWriterCreateFileWithFeatureReportProtocol"},
        {"FormatCard",
         Run<TavProtocol::MifareWriterFormatCardWithFeatureReportProtocol>(),
         {0x88, 0x87, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
         "Empty response has been received for MifareWriterFormatCard command.",
         "Invalid ACK data has been received for MifareWriterFormatCard command.",
         "MifareWriterFormatCard command was failed with error code: ",
         "MifareWriterFormatCardWithFeatureReportProtocol"},
    };
    return cases;
}

class MifareWriterTest : public testing::Test {
protected:
    // The failure's text, source and function; empty text when nothing was thrown.
    static TavProtocol::ProtocolException Failure(const std::function<void()>& run) {
        try {
            run();
        } catch (const TavProtocol::ProtocolException& error) {
            return error;
        }
        return TavProtocol::ProtocolException("", "", 0, "");
    }

    TavSim::SimulatedReader reader_;
    TavSim::FeatureReportFrontEnd frontEnd_{reader_};
    TavTest::InProcessTransport transport_{frontEnd_};
};

TEST_F(MifareWriterTest, WritingCommandsSendTheirRecordAndTheWriterCarriesThemOut) {
    for (const auto& test : WritingCases()) {
        frontEnd_.ClearReceived();
        ASSERT_NO_THROW(test.run(transport_)) << test.name;
        EXPECT_THAT(frontEnd_.ReceivedBytes(), ElementsAre(test.phrase)) << test.name;
    }
    const auto model = reader_.Model();
    EXPECT_THAT(model->mifareApplications,
                ElementsAre(TavSim::MifareApplication{
                    .aid = 0x123456, .byte4 = 0x07, .cardKeyNo = 2, .operationType = 1, .keyType = 4}));
    EXPECT_THAT(model->mifareKeyChanges, ElementsAre(std::array<uint8_t, 4>{3, 0, 0, 2}));
    EXPECT_THAT(model->mifareFiles, ElementsAre(std::array<uint8_t, 6>{0x05, 0x80, 0x0E, 0x09, 3, 3}));
    EXPECT_EQ(model->mifareCardFormats, 1u);
}

TEST_F(MifareWriterTest, WriterErrorCodeFailsWithTheCodeInDecimal) {
    reader_.Model()->mifareWriterErrorCode = 0x1A;
    for (const auto& test : WritingCases()) {
        const auto error = Failure([&] { test.run(transport_); });
        EXPECT_EQ(error.Message(), std::string(test.errorText) + "26") << test.name;
        EXPECT_EQ(error.File(), test.source);
        EXPECT_EQ(error.Function(), "ValidateResponse");
    }
    EXPECT_TRUE(reader_.Model()->mifareApplications.empty());
}

TEST_F(MifareWriterTest, BadAcknowledgementsFailWithTheCommandsTexts) {
    struct FaultCase {
        Fault fault;
        const char* WritingCase::*text;
    };
    const std::vector<FaultCase> faults{
        {Fault::NoReply(), &WritingCase::emptyText},
        {Fault::CorruptByte(0, 0x89), &WritingCase::ackText},
        {Fault::CorruptByte(1, 0x80), &WritingCase::ackText},
        {Fault::ShortReply(2), &WritingCase::ackText},
    };
    for (const auto& test : WritingCases()) {
        for (const auto& fault : faults) {
            frontEnd_.ClearFaults();
            frontEnd_.InjectFault(FaultTrigger::OnCommand({0x88}), fault.fault);
            const auto error = Failure([&] { test.run(transport_); });
            EXPECT_EQ(error.Message(), test.*fault.text) << test.name;
            EXPECT_EQ(error.File(), test.source);
        }
    }
}

TEST_F(MifareWriterTest, OnlyTheApplicationCreationAcceptsAShortAcknowledgement) {
    frontEnd_.InjectFault(FaultTrigger::OnCommand({0x88}), Fault::ShortReply(7));
    for (const auto& test : WritingCases()) {
        const auto error = Failure([&] { test.run(transport_); });
        if (std::string(test.name) == "CreateAid") {
            EXPECT_EQ(error.Message(), "") << "a 7-byte reply holds the echo and the code";
        } else {
            EXPECT_EQ(error.Message(), test.ackText) << test.name;
        }
    }
}

TEST_F(MifareWriterTest, StatusReadsItsFourBytesInTheirOrder) {
    reader_.Model()->mifareWriterStatus = {0x11, 0x22, 0x33, 0x44};
    TavProtocol::GetMifareWriterStatusWithFeatureReportProtocol command;
    command.Execute(transport_);
    command.ValidateResponse();
    EXPECT_EQ(command.GetResult(), 0x44112233u);
    EXPECT_THAT(frontEnd_.ReceivedBytes(), ElementsAre(Bytes{0x88, 0x88, 0, 0, 0, 0, 0, 0}));
}

TEST_F(MifareWriterTest, StatusChecksEchoAndClosingZeros) {
    const std::vector<std::pair<Fault, std::string>> cases{
        {Fault::NoReply(), "Empty response has been received."},
        {Fault::CorruptByte(7, 0x01), "Invalid ACK data received for GetMifareWriterStatus command."},
        {Fault::CorruptByte(1, 0x87), "Invalid ACK data received for GetMifareWriterStatus command."},
        {Fault::ShortReply(7), "Invalid ACK data received for GetMifareWriterStatus command."},
    };
    for (const auto& [fault, text] : cases) {
        frontEnd_.ClearFaults();
        frontEnd_.InjectFault(FaultTrigger::OnCommand({0x88, 0x88}), fault);
        TavProtocol::GetMifareWriterStatusWithFeatureReportProtocol command;
        command.Execute(transport_);
        const auto error = Failure([&] { command.ValidateResponse(); });
        EXPECT_EQ(error.Message(), text);
        EXPECT_EQ(error.File(), "GetMifareWriterStatusWithFeatureReportProtocol");
    }
    // The result never reads past a short reply.
    frontEnd_.ClearFaults();
    frontEnd_.InjectFault(FaultTrigger::OnCommand({0x88, 0x88}), Fault::ShortReply(5));
    TavProtocol::GetMifareWriterStatusWithFeatureReportProtocol command;
    command.Execute(transport_);
    EXPECT_EQ(Failure([&] { command.GetResult(); }).Function(), "GetResult");
}

}  // namespace
