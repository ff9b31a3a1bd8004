#include <gtest/gtest.h>

#include <vector>

#include "CommandCases.h"
#include "featureReport/GetBlobWithFeatureReportProtocol.h"
#include "featureReport/GetLuidWithFeatureReportProtocol.h"
#include "featureReport/SetBlobWithFeatureReportProtocol.h"
#include "featureReport/SetLuidWithFeatureReportProtocol.h"

namespace {

using namespace TavProtocol;
using TavSim::Fault;
using TavTest::Executed;
using TavTest::SimulatedFeatureReportReader;
using TavTest::Phrase;

using Bytes = std::vector<uint8_t>;

TavCommon::BlobHeader Header(uint8_t type, uint16_t length) {
    return TavCommon::BlobHeader{.BlobType = type, .HeaderByte1 = 0x5B, .DataLength = length, .HeaderByte4 = 0xC4};
}

Bytes Counting(std::size_t count) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>(i + 1);
    }
    return bytes;
}

// The pieces of a blob session: 89 op 00 k and, for a write, the piece's 4 bytes.
std::vector<Bytes> Pieces(uint8_t opcode, const Bytes& data) {
    std::vector<Bytes> phrases;
    for (std::size_t k = 1; 4 * (k - 1) < data.size(); ++k) {
        Bytes phrase = Phrase({0x89, opcode, 0x00, static_cast<uint8_t>(k)});
        if (opcode == 0x90) {
            for (std::size_t i = 0; i < 4; ++i) {
                const std::size_t at = 4 * (k - 1) + i;
                phrase[4 + i] = at < data.size() ? data[at] : 0;
            }
        }
        phrases.push_back(phrase);
    }
    return phrases;
}

Bytes ReadBlob(TavTransport::Transport& transport, const TavCommon::BlobHeader& header) {
    GetBlobWithFeatureReportProtocol command(header, (header.DataLength + 3) / 4);
    command.Execute(transport);
    command.ValidateResponse();
    return command.GetResult();
}

void WriteBlob(TavTransport::Transport& transport, const TavCommon::BlobHeader& header, const Bytes& data) {
    SetBlobWithFeatureReportProtocol command(header, data);
    command.Execute(transport);
    command.ValidateResponse();
}

TEST(LuidAndBlobCommandsTest, EachCommandSendsItsPhrasesAndDecodesTheReply) {
    TavTest::RunCommandCases({
        {"LUID: the first word little-endian, the second big-endian",
         [](auto& model) { model.luid = 0x1234; },
         [](auto& transport) {
             const auto command = Executed(GetLuidWithFeatureReportProtocol(), transport);
             command.ValidateResponse();
             EXPECT_EQ(command.GetResult(), (LuidResponseInformation{0x1234, 0x1234}));
         },
         {Phrase({0x8A})}},
        {"set the LUID: two phrases and no reply",
         nullptr,
         [](auto& transport) {
             EXPECT_EQ(Executed(SetLuidWithFeatureReportProtocol(0x1234), transport).ResponsePhraseCount(), 0);
         },
         {Phrase({0x8A}), Phrase({0x00, 0x34, 0x12})}},
        {"blob of 10 bytes: three whole pieces", [](auto& model) { model.blobs[7] = Counting(10); },
         [](auto& transport) {
             Bytes expected = Counting(10);
             expected.resize(12, 0);
             EXPECT_EQ(ReadBlob(transport, Header(7, 10)), expected);
         },
         [] {
             std::vector<Bytes> phrases{Phrase({0x89, 0x10, 0x00, 0x00, 7, 0x5B, 10, 0xC4})};
             const auto pieces = Pieces(0x10, Counting(10));
             phrases.insert(phrases.end(), pieces.begin(), pieces.end());
             return phrases;
         }()},
        {"write a blob of 5 bytes: the second piece padded, then the end phrase", nullptr,
         [](auto& transport) { WriteBlob(transport, Header(9, 5), Counting(5)); },
         [] {
             std::vector<Bytes> phrases{Phrase({0x89, 0x90, 0x00, 0x00, 9, 0x5B, 5, 0xC4})};
             const auto pieces = Pieces(0x90, Counting(5));
             phrases.insert(phrases.end(), pieces.begin(), pieces.end());
             phrases.push_back(Phrase({0x89, 0x90, 0x00, 0xFF}));
             return phrases;
         }()},
    });
}

TEST(LuidAndBlobCommandsTest, SetLuidThenGetLuidRoundTrips) {
    SimulatedFeatureReportReader device;
    Executed(SetLuidWithFeatureReportProtocol(0xBEEF), device.transport);
    EXPECT_EQ(device.reader.Model()->luid, 0xBEEF);
    EXPECT_EQ(Executed(GetLuidWithFeatureReportProtocol(), device.transport).GetResult(),
              (LuidResponseInformation{0xBEEF, 0xBEEF}));
}

TEST(LuidAndBlobCommandsTest, EveryCheckFailsWithItsOwnMessage) {
    const char* luid = "GetLuidWithFeatureReportProtocol";
    TavTest::RunFailureCases({
        {"LUID before the exchange",
         nullptr,
         [](auto&) { GetLuidWithFeatureReportProtocol().ValidateResponse(); },
         {"No response received from device. Was this command actually executed?", luid, "ValidateResponse"}},
        {"LUID result before the exchange",
         nullptr,
         [](auto&) { GetLuidWithFeatureReportProtocol().GetResult(); },
         {"Command is not finished. Please complete the command before retrieving the result.", luid, "GetResult"}},
        {"LUID, a reply of 7 bytes",
         [](auto& device) { device.FaultOnCommand({0x8A}, Fault::ShortReply(7)); },
         [](auto& transport) { Executed(GetLuidWithFeatureReportProtocol(), transport).GetResult(); },
         {"Invalid response received for GetLuid command.", luid, "GetResult"}},
    });
}

TEST(LuidAndBlobCommandsTest, WrittenBlobIsStoredWholeAndReadsBack) {
    SimulatedFeatureReportReader device;
    WriteBlob(device.transport, Header(4, 6), Counting(6));
    EXPECT_EQ(device.reader.Model()->blobs[4], (Bytes{1, 2, 3, 4, 5, 6, 0, 0}));
    EXPECT_EQ(ReadBlob(device.transport, Header(4, 6)), (Bytes{1, 2, 3, 4, 5, 6, 0, 0}));
}

// Only the length's low byte travels in the descriptor.
TEST(LuidAndBlobCommandsTest, DescriptorCarriesTheLowByteOfTheLength) {
    SimulatedFeatureReportReader device;
    WriteBlob(device.transport, Header(2, 0x0105), Counting(0x0105));
    const auto sent = device.Sent();
    EXPECT_EQ(sent.front(), Phrase({0x89, 0x90, 0x00, 0x00, 2, 0x5B, 0x05, 0xC4}));
    EXPECT_EQ(sent.size(), 1u + 66u + 1u);
}

// The piece index is one byte and 0xFF marks the end of a write: 254 pieces fit a write and 255
// a read; one more is refused before any phrase.
TEST(LuidAndBlobCommandsTest, BlobsLargerThanTheOneBytePieceIndexAreRefusedBeforeAnyPhrase) {
    SimulatedFeatureReportReader device;
    const Bytes largest = Counting(254 * 4);
    WriteBlob(device.transport, Header(3, 254 * 4), largest);
    auto sent = device.Sent();
    ASSERT_EQ(sent.size(), 256u);
    EXPECT_EQ(sent[254][3], 0xFE);
    EXPECT_EQ(sent[255], Phrase({0x89, 0x90, 0x00, 0xFF}));
    EXPECT_EQ(device.reader.Model()->blobs[3], largest);

    device.reader.Model()->blobs[3] = Counting(255 * 4);
    EXPECT_EQ(ReadBlob(device.transport, Header(3, 255 * 4)), Counting(255 * 4));

    device.frontEnd.ClearReceived();
    TavTest::ExpectProtocolFailure([] { SetBlobWithFeatureReportProtocol(Header(3, 255 * 4), Counting(255 * 4)); },
                                   {"A blob of 255 pieces cannot be written: the piece index allows at most 254",
                                    "SetBlobWithFeatureReportProtocol", "SetBlobWithFeatureReportProtocol"});
    TavTest::ExpectProtocolFailure([] { GetBlobWithFeatureReportProtocol(Header(3, 1021), 256); },
                                   {"A blob of 256 pieces cannot be read: the piece index allows at most 255",
                                    "GetBlobWithFeatureReportProtocol", "GetBlobWithFeatureReportProtocol"});
    EXPECT_TRUE(device.Sent().empty());
}

TEST(LuidAndBlobCommandsTest, EveryBlobCheckFailsWithItsOwnMessage) {
    const auto storedBlob = [](std::size_t phrase, Fault fault) {
        return [phrase, fault](SimulatedFeatureReportReader& device) {
            device.reader.Model()->blobs[7] = Counting(12);
            device.FaultOnPhrase(phrase, fault);
        };
    };
    const auto read = [](auto& transport) { ReadBlob(transport, Header(7, 12)); };
    const auto write = [](auto& transport) { WriteBlob(transport, Header(7, 12), Counting(12)); };
    const char* get = "GetBlobWithFeatureReportProtocol";
    const char* set = "SetBlobWithFeatureReportProtocol";
    const char* badPiece = "Invalid response packet has been received for GetBlob command";
    const char* badAck = "Invalid ACK data has been received for SetBlob command";
    TavTest::RunFailureCases({
        {"descriptor echoed with another length",
         storedBlob(0, Fault::CorruptByte(6, 13)),
         read,
         {"Header Verification failed", get, "verifyHeader"}},
        {"descriptor echo cut short",
         storedBlob(0, Fault::ShortReply(7)),
         read,
         {"Header Verification failed", get, "verifyHeader"}},
        {"an empty blob has no piece to check",
         nullptr,
         [](auto& transport) { ReadBlob(transport, Header(7, 0)); },
         {"No response has been received from reader", get, "ValidateResponse"}},
        {"a piece answered under another index",
         storedBlob(2, Fault::CorruptByte(3, 9)),
         read,
         {badPiece, get, "ValidateResponse"}},
        {"a piece of 7 bytes", storedBlob(3, Fault::ShortReply(7)), read, {badPiece, get, "ValidateResponse"}},
        {"a piece decoded without its check, too short for its data",
         storedBlob(1, Fault::ShortReply(6)),
         [](auto& transport) {
             GetBlobWithFeatureReportProtocol command(Header(7, 12), 3);
             command.Execute(transport);
             command.GetResult();
         },
         {badPiece, get, "GetResult"}},
        {"write before the exchange",
         nullptr,
         [](auto&) { SetBlobWithFeatureReportProtocol(Header(7, 4), Counting(4)).ValidateResponse(); },
         {"No response has been received from reader", set, "ValidateResponse"}},
        {"write, the descriptor acknowledged as a piece",
         storedBlob(0, Fault::CorruptByte(3, 1)),
         write,
         {badAck, set, "ValidateResponse"}},
        {"write, a piece acknowledged short",
         storedBlob(2, Fault::ShortReply(4)),
         write,
         {badAck, set, "ValidateResponse"}},
        {"write, the end acknowledged as FE",
         storedBlob(4, Fault::CorruptByte(3, 0xFE)),
         write,
         {badAck, set, "ValidateResponse"}},
    });
}

// A failed descriptor check ends the exchange when the first reply arrives.
TEST(LuidAndBlobCommandsTest, FailedDescriptorCheckSendsNoPiece) {
    SimulatedFeatureReportReader device;
    device.FaultOnPhrase(0, Fault::CorruptByte(4, 0x01));
    EXPECT_THROW(ReadBlob(device.transport, Header(7, 12)), ProtocolException);
    EXPECT_EQ(device.Sent().size(), 1u);
}

}  // namespace
