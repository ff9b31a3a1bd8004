// The MIFARE writer visitors' argument checks, at the ends of every range, on the simulated
// feature-report reader.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/SimulatedProtocolReader.h"
#include "visitors/MifareWriterChangeKeyVisitor.h"
#include "visitors/MifareWriterCreateAidVisitor.h"
#include "visitors/MifareWriterCreateFileVisitor.h"

namespace {

using namespace TavProtocol;
using TavTest::ProtocolFailure;
using TavTest::SimulatedProtocolReader;
using TavTest::Wire;

constexpr const char* kRangeSource = "CommandVisitor";
constexpr const char* kRangeFunction = "ThrowProtocolExceptionForPropertyOutOfRange";

struct Row {
    std::string name;
    std::function<std::unique_ptr<CommandVisitor>()> make;
    ProtocolFailure refusal;  // empty: accepted, the command goes out
};

std::function<std::unique_ptr<CommandVisitor>()> Aid(uint32_t aid, uint8_t cardKeyNo, uint8_t operation,
                                                     uint8_t keyType) {
    return [=] {
        return std::make_unique<MifareWriterCreateAidVisitor>(
            MifareWriterAidInformation{aid, 0x5A, cardKeyNo, operation, keyType});
    };
}

std::function<std::unique_ptr<CommandVisitor>()> Key(uint8_t cardKeyNumber, uint8_t featureFlag) {
    return [=] {
        return std::make_unique<MifareWriterChangeKeyVisitor>(
            MifareWriterKeyInformation{cardKeyNumber, 0x11, 0x22, featureFlag});
    };
}

std::function<std::unique_ptr<CommandVisitor>()> File(uint8_t length, uint8_t writeKey, uint8_t encryption,
                                                      uint8_t featureFlag) {
    return [=] {
        return std::make_unique<MifareWriterCreateFileVisitor>(
            MifareWriterFileInformation{0x01, length, writeKey, 0x02, encryption, featureFlag});
    };
}

ProtocolFailure Aid(const char* message) { return {message, "MifareWriterCreateAidVisitor", "ValidateArguments"}; }
ProtocolFailure Key(const char* message) { return {message, "MifareWriterChangeKeyVisitor", "ValidateArguments"}; }
ProtocolFailure File(const char* message) { return {message, "MifareWriterCreateFileVisitor", "ValidateArguments"}; }
ProtocolFailure Range(const char* message) { return {message, kRangeSource, kRangeFunction}; }

TEST(MifareWriterVisitorTest, ArgumentChecksAtTheirBoundaries) {
    const char* const badAid = "AID value must be in the range of 0x00000000 to 0x00FFFFFF.";
    const char* const badKeyType = "Invalid key type was specified.";
    const char* const badFlag = "Invalid FeatureFlag value was specified";
    const char* const badLength = "_fileInfo.FileLength setting must be between 1 and 128 inclusive";
    const std::vector<Row> rows = {
        {"AID 0x00FFFFFF", Aid(0x00FFFFFF, 0, 0, 4), {}},
        {"AID 0x01000000", Aid(0x01000000, 0, 0, 4), Aid(badAid)},
        {"AID 0xFFFFFFFF", Aid(0xFFFFFFFF, 0, 0, 4), Aid(badAid)},
        {"CardKeyNo 14", Aid(1, 14, 0, 4), {}},
        {"CardKeyNo 15", Aid(1, 15, 0, 4), Aid("CardKeyNo value must be in the range of 0x00 to 0x0E.")},
        {"operation type 2", Aid(1, 0, 2, 4), {}},
        {"operation type 3", Aid(1, 0, 3, 4), Aid("Invalid operation type was specified.")},
        {"key type 4", Aid(1, 0, 0, 4), {}},
        {"key type 12", Aid(1, 0, 0, 12), {}},
        {"key type 0", Aid(1, 0, 0, 0), Aid(badKeyType)},
        {"key type 5", Aid(1, 0, 0, 5), Aid(badKeyType)},
        {"key type 8", Aid(1, 0, 0, 8), Aid(badKeyType)},
        {"every AID field wrong", Aid(0x01000000, 15, 3, 0), Aid(badAid)},
        {"card key 14, flag 2", Key(14, 2), {}},
        {"card key 0, flag 0", Key(0, 0), {}},
        {"flag 3", Key(0, 3), Key(badFlag)},
        {"card key 15 and flag 1", Key(15, 1), Range("Card Key number setting must be between 0 and 14 inclusive")},
        {"file length 1, flag 3", File(1, 0, 0, 3), {}},
        {"file length 128, write key 14, mode 3", File(128, 14, 3, 0), {}},
        {"file length 0", File(0, 0, 0, 0), Range(badLength)},
        {"file length 129", File(129, 0, 0, 0), Range(badLength)},
        {"write key 15", File(1, 15, 0, 0), Range("_fileInfo.WriteKey setting must be between 0 and 14 inclusive")},
        {"encryption mode 2", File(1, 0, 2, 0), File("Invalid EncryptionMode value was specified")},
        {"file flag 2", File(1, 0, 1, 2), File(badFlag)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimulatedProtocolReader device(Wire::FeatureReport);
        const std::unique_ptr<CommandVisitor> visitor = row.make();
        EXPECT_EQ(TavTest::RunCatching(device, *visitor), row.refusal);
        EXPECT_EQ(device.Sent().size(), row.refusal.message.empty() ? 1U : 0U);
    }
}

}  // namespace
