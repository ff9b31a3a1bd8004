// Every device-control, BLE, blob, MIFARE writer and firmware visitor on every wire protocol: a
// protocol that lacks the command refuses at once, even with arguments that are also wrong, and a
// protocol that offers it refuses wrong arguments; either way before any phrase reaches the reader.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/SimulatedProtocolReader.h"
#include "visitors/BeepVisitor.h"
#include "visitors/ConfigureModuleStateVisitor.h"
#include "visitors/EnableBootloaderModeVisitor.h"
#include "visitors/EnableTransparentModeVisitor.h"
#include "visitors/GetBaudRateVisitor.h"
#include "visitors/GetBeeperVolumeVisitor.h"
#include "visitors/GetBleBlobVisitor.h"
#include "visitors/GetBleConfigurationVisitor.h"
#include "visitors/GetBlobVisitor.h"
#include "visitors/GetMifareWriterStatusVisitor.h"
#include "visitors/MifareWriterChangeKeyVisitor.h"
#include "visitors/MifareWriterCreateAidVisitor.h"
#include "visitors/MifareWriterCreateFileVisitor.h"
#include "visitors/MifareWriterFormatCardVisitor.h"
#include "visitors/SetBaudRateVisitor.h"
#include "visitors/SetBeeperVolumeVisitor.h"
#include "visitors/SetBleBlobVisitor.h"
#include "visitors/SetBleConfigurationVisitor.h"
#include "visitors/SetBlobVisitor.h"
#include "visitors/UpgradeFirmwareVisitor.h"

namespace {

using namespace TavProtocol;
using TavTest::ProtocolFailure;
using TavTest::SimulatedProtocolReader;
using TavTest::Wire;

constexpr const char* kFeatureReportText = "This command is not yet supported with the Feature Report Protocol";
constexpr const char* kMfp24Text = "This command is not yet supported with the MFP24 Protocol";
constexpr const char* kSerialBinaryText = "This command is not yet supported with the Serial Binary Protocol";

// What one wire protocol does with the visitor: refuse in Visit, refuse the arguments, or run
// (nullopt: the successful runs are other tests' business).
struct Outcome {
    std::optional<std::string> message;
    const char* function = "Visit";
    const char* file = nullptr;  // the visitor's own source unless named
};

Outcome Refused(const char* message) { return {message}; }
Outcome BadArguments(std::string message, const char* file = nullptr, const char* function = "ValidateArguments") {
    return {std::move(message), function, file};
}
Outcome Runs() { return {}; }

struct RefusalRow {
    const char* visitor;
    // Arguments the visitor's own checks refuse, where it has any.
    std::function<std::unique_ptr<CommandVisitor>()> make;
    Outcome featureReport;
    Outcome mfp24;
    Outcome serialBinary;
};

const std::vector<RefusalRow>& Rows() {
    static const std::vector<RefusalRow> rows = {
        {"BeepVisitor", [] { return std::make_unique<BeepVisitor>(0, BEEP_DURATION::Short); },
         BadArguments("A count of 0 beeps does not make sense."),
         BadArguments("A count of 0 beeps does not make sense."),
         BadArguments("A count of 0 beeps does not make sense.")},
        {"GetBeeperVolumeVisitor", [] { return std::make_unique<GetBeeperVolumeVisitor>(); }, Runs(),
         Refused(kMfp24Text), Runs()},
        {"SetBeeperVolumeVisitor", [] { return std::make_unique<SetBeeperVolumeVisitor>(BeepVolume{4}); },
         BadArguments("Beep volume is out of range"), BadArguments("Beep volume is out of range"),
         BadArguments("Beep volume is out of range")},
        {"GetBaudRateVisitor", [] { return std::make_unique<GetBaudRateVisitor>(); }, Refused(kFeatureReportText),
         Refused(kMfp24Text), Runs()},
        {"SetBaudRateVisitor", [] { return std::make_unique<SetBaudRateVisitor>(SerialReaderBaudRate{5}); },
         Refused(kFeatureReportText), Refused(kMfp24Text),
         BadArguments("Invalid baud rate specified for SetBaudRate command: 0x5")},
        {"ConfigureModuleStateVisitor",
         [] {
             return std::make_unique<ConfigureModuleStateVisitor>(ReaderModuleAction::Set, ReaderModuleId{0},
                                                                  ReaderModuleState{0});
         },
         BadArguments("Invalid ModuleId."), Refused(kMfp24Text), Refused(kSerialBinaryText)},
        {"EnableTransparentModeVisitor", [] { return std::make_unique<EnableTransparentModeVisitor>(true); }, Runs(),
         Refused(kMfp24Text), Refused(kSerialBinaryText)},
        {"GetBleConfigurationVisitor", [] { return std::make_unique<GetBleConfigurationVisitor>(); }, Runs(),
         Refused("GetBleConfiguration command is not yet supported with the MFP24 Protocol"),
         Refused("GetBleConfiguration command is not yet supported with the Serial Binary Protocol")},
        {"SetBleConfigurationVisitor",
         [] {
             return std::make_unique<SetBleConfigurationVisitor>(BleConfiguration{0, -62, -41});
         },
         BadArguments("Invalid TapInRssi value. Allowed values: -30, -33, -36, -40, -46, -50, -53, -57, -61, -63"),
         Refused("SetBleConfiguration is not supported for MFP24 protocol"),
         Refused("SetBleConfiguration is not supported for SerialBinary protocol")},
        {"GetBleBlobVisitor", [] { return std::make_unique<GetBleBlobVisitor>(TavCommon::BleDataType::Data); }, Runs(),
         Refused("GetBleBlob command is not supported with the MFP24 Protocol"),
         Refused("GetBleBlob command is not supported with the Serial Binary Protocol")},
        {"SetBleBlobVisitor",
         [] { return std::make_unique<SetBleBlobVisitor>(TavCommon::BleDataType::Data, std::vector<uint8_t>{}); },
         Runs(), Refused(kMfp24Text), Refused(kSerialBinaryText)},
        {"GetBlobVisitor",
         [] {
             return std::make_unique<GetBlobVisitor>(TavCommon::BlobHeader{1, 0, 1017, 0});
         },
         BadArguments("Blob data length 1017 is more than the 1016 bytes a blob can carry"), Refused(kMfp24Text),
         Refused(kSerialBinaryText)},
        {"SetBlobVisitor",
         [] {
             return std::make_unique<SetBlobVisitor>(TavCommon::BlobHeader{1, 0, 6, 0}, std::vector<uint8_t>(5));
         },
         BadArguments("Blob data length does not match with datalength in header"), Refused(kMfp24Text),
         Refused(kSerialBinaryText)},
        {"GetMifareWriterStatusVisitor", [] { return std::make_unique<GetMifareWriterStatusVisitor>(); }, Runs(),
         Refused(kMfp24Text), Refused(kSerialBinaryText)},
        {"MifareWriterCreateAidVisitor",
         [] {
             return std::make_unique<MifareWriterCreateAidVisitor>(MifareWriterAidInformation{0x01000000, 0, 0, 0, 4});
         },
         BadArguments("AID value must be in the range of 0x00000000 to 0x00FFFFFF."), Refused(kMfp24Text),
         Refused(kSerialBinaryText)},
        {"MifareWriterChangeKeyVisitor",
         [] {
             return std::make_unique<MifareWriterChangeKeyVisitor>(MifareWriterKeyInformation{15, 0, 0, 1});
         },
         BadArguments("Card Key number setting must be between 0 and 14 inclusive", "CommandVisitor",
                      "ThrowProtocolExceptionForPropertyOutOfRange"),
         Refused(kMfp24Text), Refused(kSerialBinaryText)},
        {"MifareWriterCreateFileVisitor",
         [] {
             return std::make_unique<MifareWriterCreateFileVisitor>(MifareWriterFileInformation{0, 0, 0, 0, 0, 0});
         },
         BadArguments("_fileInfo.FileLength setting must be between 1 and 128 inclusive", "CommandVisitor",
                      "ThrowProtocolExceptionForPropertyOutOfRange"),
         Refused(kMfp24Text), Refused(kSerialBinaryText)},
        {"MifareWriterFormatCardVisitor", [] { return std::make_unique<MifareWriterFormatCardVisitor>(); }, Runs(),
         Refused(kMfp24Text), Refused(kSerialBinaryText)},
        {"EnableBootloaderModeVisitor",
         [] { return std::make_unique<EnableBootloaderModeVisitor>(BootloaderModule{3}); },
         BadArguments("Invalid bootloader module specified."),
         Refused("EnableBootloaderMode is not supported for the MFP24 protocol."),
         Refused("EnableBootloaderMode is not supported for the Serial Binary protocol.")},
        {"UpgradeFirmwareVisitor",
         [] { return std::make_unique<UpgradeFirmwareVisitor>(std::string("/nonexistent/{}/firmware.hex")); },
         BadArguments("File /nonexistent/{}/firmware.hex does not exist or is not accessible."),
         Refused("UpgradeFirmware is not supported for the MFP24 protocol."),
         Refused("UpgradeFirmware is not supported for the Serial Binary protocol.")},
    };
    return rows;
}

TEST(DeviceVisitorRefusalTest, EachRefusalHasItsExactTextAndNothingIsSent) {
    for (const RefusalRow& row : Rows()) {
        for (const Wire wire : TavTest::kAllWires) {
            const Outcome& outcome = wire == Wire::FeatureReport ? row.featureReport
                                     : wire == Wire::Mfp24       ? row.mfp24
                                                                 : row.serialBinary;
            if (!outcome.message) {
                continue;
            }
            SCOPED_TRACE(std::string(row.visitor) + " on " + TavTest::WireName(wire));
            SimulatedProtocolReader device(wire);
            const std::unique_ptr<CommandVisitor> visitor = row.make();
            EXPECT_EQ(TavTest::RunCatching(device, *visitor),
                      (ProtocolFailure{*outcome.message, outcome.file ? outcome.file : row.visitor, outcome.function}));
            EXPECT_TRUE(device.Sent().empty());
        }
    }
}

}  // namespace
