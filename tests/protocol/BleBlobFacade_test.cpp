// The facade's BLE configuration, blob and BLE blob operations.
#include <gtest/gtest.h>

#include <vector>

#include "FacadeCases.h"
#include "common/BlobHeader.h"
#include "records/BleConfiguration.h"
#include "sim/Fault.h"
#include "support/SimulatedFeatureReportReader.h"

namespace {

using namespace TavProtocol;
using TavCommon::BleDataType;
using TavCommon::BlobHeader;
using TavTest::FacadeFailureRow;
using TavTest::FacadeRow;
using TavTest::Phrase;
using TavTest::SimulatedProtocolReader;
using TavTest::Wire;
using Bytes = std::vector<uint8_t>;
using Model = TavSim::DeviceModel;
using Facade = ProtocolFacade;

Bytes Pattern(std::size_t size, uint8_t first) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>(first + i);
    }
    return bytes;
}

// One BLE block read: set up, poll until ready, then 32 pieces.
std::vector<Bytes> BleBlockRead(uint8_t block) {
    std::vector<Bytes> phrases = {{0x89, 0x10, 0x00, 0x00, 0x10, 0x01, 0x00, block},
                                  {0x89, 0x10, 0x00, 0x00, 0x10, 0x01, 0x00, static_cast<uint8_t>(block | 0x80)}};
    for (uint8_t piece = 1; piece <= 32; ++piece) {
        phrases.push_back(Phrase({0x89, 0x10, 0x00, piece}));
    }
    return phrases;
}

TEST(BleBlobFacadeTest, EachOperationSendsItsPhrasesAndCopiesItsResultOut) {
    const Bytes key = Pattern(128, 0x40);
    const Bytes unencryptedKey = Pattern(16, 0xA0);
    std::vector<Bytes> keyWrite = {{0x89, 0x90, 0x00, 0x00, 0x11, 0x01, 0x10, 0x04}};
    for (uint8_t piece = 1; piece <= 4; ++piece) {
        const std::size_t at = 4U * (piece - 1U);
        keyWrite.push_back({0x89, 0x90, 0x00, piece, unencryptedKey[at], unencryptedKey[at + 1], unencryptedKey[at + 2],
                            unencryptedKey[at + 3]});
    }
    keyWrite.push_back({0x89, 0x90, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x04});
    keyWrite.push_back({0x89, 0x90, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x84});

    const std::vector<FacadeRow> rows = {
        {"GetBleConfiguration",
         Wire::FeatureReport,
         [](Model& m) {
             m.bleConfiguration = {0x05, 0xC6, 0xF0};
         },
         [](const Facade& f) {
             BleConfiguration configuration{1, 2, 3};
             const ProtocolCommandResult result = f.GetBleConfiguration(configuration);
             EXPECT_EQ(configuration, (BleConfiguration{0x05, -58, -16}));
             return result;
         },
         {Phrase({0x8C, 0x07})}},
        {"SetBleConfiguration",
         Wire::FeatureReport,
         nullptr,
         [](const Facade& f) {
             return f.SetBleConfiguration(BleConfiguration{0x7F, -40, -4});
         },
         {Phrase({0x8C, 0x87, 0x1F, 0xD8, 0xFC})}},
        {"GetBlob of 5 bytes",
         Wire::FeatureReport,
         [](Model& m) { m.blobs[7] = Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9}; },
         [](const Facade& f) {
             Bytes data(20, 0xEE);
             const ProtocolCommandResult result = f.GetBlob(BlobHeader{7, 0, 5, 0}, data);
             EXPECT_EQ(data, (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
             return result;
         },
         {Phrase({0x89, 0x10, 0x00, 0x00, 7, 0, 5, 0}), Phrase({0x89, 0x10, 0x00, 0x01}),
          Phrase({0x89, 0x10, 0x00, 0x02})}},
        {"SetBlob of 3 bytes",
         Wire::FeatureReport,
         nullptr,
         [](const Facade& f) {
             return f.SetBlob(BlobHeader{9, 1, 3, 2}, Bytes{0xA1, 0xA2, 0xA3});
         },
         {Phrase({0x89, 0x90, 0x00, 0x00, 9, 1, 3, 2}), Phrase({0x89, 0x90, 0x00, 0x01, 0xA1, 0xA2, 0xA3}),
          Phrase({0x89, 0x90, 0x00, 0xFF})},
         [](Model& m) {
             EXPECT_EQ(m.blobs[9], (Bytes{0xA1, 0xA2, 0xA3, 0x00}));
         }},
        {"GetBleBlob of the key", Wire::FeatureReport, [&key](Model& m) { m.bleData[2] = key; },
         [&key](const Facade& f) {
             Bytes data(3, 0xEE);
             const ProtocolCommandResult result = f.GetBleBlob(BleDataType::Key, data);
             EXPECT_EQ(data, key);
             return result;
         },
         BleBlockRead(0x10)},
        {"SetBleBlob of the unencrypted key", Wire::FeatureReport, nullptr,
         [&unencryptedKey](const Facade& f) { return f.SetBleBlob(BleDataType::UnencryptedKey, unencryptedKey); },
         keyWrite, [&unencryptedKey](Model& m) { EXPECT_EQ(m.bleData[3], unencryptedKey); }},
    };
    TavTest::RunFacadeRows(rows);
}

TEST(BleBlobFacadeTest, FailuresAreRecordedAndLeaveTheCallersValuesAlone) {
    const auto readBlob = [](BlobHeader header) {
        return [header](const Facade& f) {
            Bytes data{0xEE};
            const ProtocolCommandResult result = f.GetBlob(header, data);
            EXPECT_EQ(data, Bytes{0xEE});
            return result;
        };
    };
    const std::vector<FacadeFailureRow> rows = {
        {"GetBleConfiguration", Wire::Mfp24, nullptr,
         [](const Facade& f) {
             BleConfiguration configuration{1, 2, 3};
             const ProtocolCommandResult result = f.GetBleConfiguration(configuration);
             EXPECT_EQ(configuration, (BleConfiguration{1, 2, 3}));
             return result;
         },
         "GetBleConfiguration command is not yet supported with the MFP24 Protocol", "GetBleConfigurationVisitor",
         true},
        {"SetBleBlob", Wire::SerialBinary, nullptr,
         [](const Facade& f) { return f.SetBleBlob(BleDataType::Key, Bytes(128)); },
         "This command is not yet supported with the Serial Binary Protocol", "SetBleBlobVisitor", true},
        {"GetBlob of 1017 bytes", Wire::FeatureReport, nullptr, readBlob(BlobHeader{7, 0, 1017, 0}),
         "Blob data length 1017 is more than the 1016 bytes a blob can carry", "GetBlobVisitor", true},
        {"GetBlob with a piece of another index", Wire::FeatureReport,
         [](SimulatedProtocolReader& device) {
             device.InjectFault(TavSim::FaultTrigger::OnPhrase(2), TavSim::Fault::CorruptByte(3, 0x07));
         },
         readBlob(BlobHeader{7, 0, 8, 0}), "Invalid response packet has been received for GetBlob command",
         "GetBlobWithFeatureReportProtocol"},
        {"GetBleConfiguration answered short", Wire::FeatureReport,
         [](SimulatedProtocolReader& device) {
             device.InjectFault(TavSim::FaultTrigger::OnCommand({0x8C, 0x07}), TavSim::Fault::ShortReply(5));
         },
         [](const Facade& f) {
             BleConfiguration configuration{1, 2, 3};
             const ProtocolCommandResult result = f.GetBleConfiguration(configuration);
             EXPECT_EQ(configuration, (BleConfiguration{1, 2, 3}));
             return result;
         },
         "Invalid response phrase size for GetBleConfiguration command",
         "GetBleConfigurationWithFeatureReportProtocol"},
        {"GetBleBlob of the write-only key", Wire::FeatureReport, nullptr,
         [](const Facade& f) {
             Bytes data{0xEE};
             const ProtocolCommandResult result = f.GetBleBlob(BleDataType::UnencryptedKey, data);
             EXPECT_EQ(data, Bytes{0xEE});
             return result;
         },
         "GetBleBlob does not support UnencryptedKey; Section 4 of the protocol is write-only",
         "GetBleBlobWithFeatureReportProtocol", true},
    };
    TavTest::RunFacadeFailureRows(rows);
}

}  // namespace
