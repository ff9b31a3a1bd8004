// MFP24 commands through the real USB HID transport and hidapi to a simulated MFP24 reader behind
// a hidraw node: each phrase is a 25-byte feature report, report id 0 and the 24 characters.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/FixedText.h"
#include "mfp24/BeepWithMfp24Protocol.h"
#include "mfp24/GetSupportedCardsWithMfp24Protocol.h"
#include "sim/CommandTables.h"
#include "sim/FeatureReportFrontEnd.h"
#include "support/FakeSysfsTree.h"
#include "support/SimulatedHidrawNode.h"
#include "support/TempDir.h"
#include "transport/UsbHidTransport.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Report = TavTest::SimulatedHidrawNode::Report;
using testing::ElementsAre;

const bool kUnderInterposer = [] {
    TavTest::ReexecuteUnderHidrawInterposer(TAV_TEST_PROGRAM_DIR "/libtav_hidraw_interposer.so", {});
    return TavTest::HidrawInterposerLoaded();
}();

// A feature report as hidraw receives it: report id 0, the letters, '0' up to 24 characters, CR.
Bytes SetFeature(const std::string& letters) {
    std::string text(1, '\0');
    text += letters;
    text.resize(24, '0');
    text += '\r';
    return Bytes(text.begin(), text.end());
}

TEST(Mfp24OverHidrawTest, PhrasesTravelAsTwentyFiveByteFeatureReports) {
    ASSERT_TRUE(kUnderInterposer) << "the hidraw interposer could not be preloaded";
    TavTest::TempDir temp;
    TavTest::FakeSysfsTree tree(temp.Path() / "sys");
    tree.AddUsbDevice(TavTest::FakeSysfsTree::Device("3-2", {"hidraw93"}));
    TavSim::SimulatedReader reader;
    reader.Model()->supportedCardTypes = {0x0011, 0x0022, 0x0033, 0x0044, 0x0055, 0x0066};
    TavSim::FeatureReportFrontEnd frontEnd(reader, TavSim::Mfp24Commands());
    TavTest::SimulatedHidrawNode node("/dev/hidraw93", frontEnd);

    TavCommon::ReaderDefinition definition{};
    definition.VendorId = 0x0ABC;
    definition.ProductId = 0x1234;
    TavCommon::CopyToFixedField(definition.UsbPath, "3-2");
    definition.ProtocolType = 2;
    TavTransport::UsbHidTransport transport(definition, tree.Root());
    transport.init(0);

    TavProtocol::BeepWithMfp24Protocol beep(2 | 1 << 8);
    beep.Execute(transport);
    beep.ValidateResponse();
    TavProtocol::GetSupportedCardsWithMfp24Protocol cards;
    cards.Execute(transport);
    cards.ValidateResponse();

    EXPECT_THAT(cards.GetResult(), ElementsAre(0x0011, 0x0022, 0x0033, 0x0044, 0x0055, 0x0066));
    EXPECT_THAT(reader.Model()->beeps, ElementsAre(0x82));
    const Report read{Report::GetFeature, Bytes(25, 0)};
    EXPECT_THAT(node.Reports(), ElementsAre(Report{Report::SetFeature, SetFeature("BL2")}, read,
                                            Report{Report::SetFeature, SetFeature("QCT00")}, read,
                                            Report{Report::SetFeature, SetFeature("QCT01")}, read));
}

}  // namespace
