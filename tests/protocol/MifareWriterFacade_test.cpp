// The facade's MIFARE writer operations.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "FacadeCases.h"
#include "records/MifareWriterAidInformation.h"
#include "records/MifareWriterFileInformation.h"
#include "records/MifareWriterKeyInformation.h"
#include "sim/Fault.h"
#include "support/SimulatedFeatureReportReader.h"

namespace {

using namespace TavProtocol;
using TavTest::FacadeFailureRow;
using TavTest::FacadeRow;
using TavTest::Phrase;
using TavTest::SimulatedProtocolReader;
using TavTest::Wire;
using Model = TavSim::DeviceModel;
using Facade = ProtocolFacade;

TEST(MifareWriterFacadeTest, EachOperationSendsItsPhraseAndCopiesItsResultOut) {
    const std::vector<FacadeRow> rows = {
        {"GetMifareWriterStatus",
         Wire::FeatureReport,
         [](Model& m) {
             m.mifareWriterStatus = {0x12, 0x34, 0x56, 0x78};
         },
         [](const Facade& f) {
             MifareWriterStatus status = 0;
             const ProtocolCommandResult result = f.GetMifareWriterStatus(status);
             EXPECT_EQ(status, 0x78123456U);
             return result;
         },
         {Phrase({0x88, 0x88})}},
        {"MifareWriterCreateAid",
         Wire::FeatureReport,
         nullptr,
         [](const Facade& f) {
             return f.MifareWriterCreateAid(MifareWriterAidInformation{0x00ABCDEF, 0x5A, 0x0E, 0x02, 0x0C});
         },
         {Phrase({0x88, 0x81, 0xAB, 0xCD, 0xEF, 0x5A, 0xE2, 0x0C})},
         [](Model& m) {
             EXPECT_EQ(m.mifareApplications, (std::vector<TavSim::MifareApplication>{{0x00ABCDEF, 0x5A, 14, 2, 12}}));
         }},
        {"MifareWriterChangeKey",
         Wire::FeatureReport,
         nullptr,
         [](const Facade& f) {
             return f.MifareWriterChangeKey(MifareWriterKeyInformation{3, 0x11, 0x22, 2});
         },
         {Phrase({0x88, 0x82, 0x03, 0x11, 0x22, 0x02})},
         [](Model& m) { EXPECT_EQ(m.mifareKeyChanges.size(), 1U); }},
        {"MifareWriterCreateFile",
         Wire::FeatureReport,
         nullptr,
         [](const Facade& f) {
             return f.MifareWriterCreateFile(MifareWriterFileInformation{0x01, 128, 14, 0x02, 3, 3});
         },
         {Phrase({0x88, 0x83, 0x01, 0x80, 0x0E, 0x02, 0x03, 0x03})},
         [](Model& m) {
             EXPECT_EQ(m.mifareFiles, (std::vector<std::array<uint8_t, 6>>{{0x01, 0x80, 0x0E, 0x02, 0x03, 0x03}}));
         }},
        {"MifareWriterFormatCard",
         Wire::FeatureReport,
         nullptr,
         [](const Facade& f) { return f.MifareWriterFormatCard(); },
         {Phrase({0x88, 0x87})},
         [](Model& m) { EXPECT_EQ(m.mifareCardFormats, 1U); }},
    };
    TavTest::RunFacadeRows(rows);
}

TEST(MifareWriterFacadeTest, FailuresAreRecordedAndLeaveTheCallersValuesAlone) {
    const auto writerError = [](SimulatedProtocolReader& device) { device.Reader().Model()->mifareWriterErrorCode = 7; };
    const std::vector<FacadeFailureRow> rows = {
        {"GetMifareWriterStatus", Wire::Mfp24, nullptr,
         [](const Facade& f) {
             MifareWriterStatus status = 0x77;
             const ProtocolCommandResult result = f.GetMifareWriterStatus(status);
             EXPECT_EQ(status, 0x77U);
             return result;
         },
         "This command is not yet supported with the MFP24 Protocol", "GetMifareWriterStatusVisitor", true},
        {"MifareWriterFormatCard", Wire::SerialBinary, nullptr,
         [](const Facade& f) { return f.MifareWriterFormatCard(); },
         "This command is not yet supported with the Serial Binary Protocol", "MifareWriterFormatCardVisitor", true},
        {"MifareWriterCreateAid with key type 5", Wire::FeatureReport, nullptr,
         [](const Facade& f) {
             return f.MifareWriterCreateAid(MifareWriterAidInformation{1, 0, 0, 0, 5});
         },
         "Invalid key type was specified.", "MifareWriterCreateAidVisitor", true},
        {"MifareWriterCreateAid refused by the writer", Wire::FeatureReport, writerError,
         [](const Facade& f) {
             return f.MifareWriterCreateAid(MifareWriterAidInformation{1, 0, 0, 0, 4});
         },
         "MifareWriterCreateAid command was failed with error code: 7",
         "MifareWriterCreateAidWithFeatureReportProtocol"},
        {"MifareWriterChangeKey refused by the writer", Wire::FeatureReport, writerError,
         [](const Facade& f) {
             return f.MifareWriterChangeKey(MifareWriterKeyInformation{1, 0, 0, 0});
         },
         "Command failed with error code: 7", "MifareWriterChangeKeyWithFeatureReportProtocol"},
        {"MifareWriterCreateFile refused by the writer", Wire::FeatureReport, writerError,
         [](const Facade& f) {
             return f.MifareWriterCreateFile(MifareWriterFileInformation{0, 1, 0, 0, 0, 0});
         },
         "Command was failed with error code: 7", "MifareWriterCreateFileWithFeatureReportProtocol"},
        {"MifareWriterFormatCard refused by the writer", Wire::FeatureReport, writerError,
         [](const Facade& f) { return f.MifareWriterFormatCard(); },
         "MifareWriterFormatCard command was failed with error code: 7",
         "MifareWriterFormatCardWithFeatureReportProtocol"},
        {"GetMifareWriterStatus answered for another command", Wire::FeatureReport,
         [](SimulatedProtocolReader& device) {
             device.InjectFault(TavSim::FaultTrigger::OnCommand({0x88, 0x88}), TavSim::Fault::CorruptByte(1, 0x81));
         },
         [](const Facade& f) {
             MifareWriterStatus status = 0x77;
             const ProtocolCommandResult result = f.GetMifareWriterStatus(status);
             EXPECT_EQ(status, 0x77U);
             return result;
         },
         "Invalid ACK data received for GetMifareWriterStatus command.",
         "GetMifareWriterStatusWithFeatureReportProtocol"},
    };
    TavTest::RunFacadeFailureRows(rows);
}

}  // namespace
