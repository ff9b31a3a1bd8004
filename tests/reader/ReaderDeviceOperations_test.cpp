#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Tavelin/ReaderException.h"
#include "facade/ProtocolFacade.h"
#include "files/Crc32.h"
#include "reader/ReaderOnSimulator.h"
#include "support/RecordingTimeDelay.h"
#include "support/TempDir.h"

namespace {

using TavTest::ReaderOnSimulator;
using TavTest::Wire;
using ::testing::ElementsAre;
using ::testing::StartsWith;
using Bytes = std::vector<uint8_t>;
using TavTest::Phrase;
using TavTest::PlainElvarinFailure;
using TavTest::Refusal;

class DeviceOperations : public ::testing::TestWithParam<Wire> {};

TEST_P(DeviceOperations, BeepsAndTheVolumeReachTheReader) {
    ReaderOnSimulator simulated(GetParam());
    Tav::Reader& reader = simulated.OpenInitialised();
    reader.Beep(3, TavProtocol::BEEP_DURATION::Short);
    reader.SetBeeperVolume(static_cast<TavProtocol::BeepVolume>(2));
    TavProtocol::BeepVolume volume{};
    reader.GetBeeperVolume(volume);
    EXPECT_EQ(static_cast<int>(volume), 2);
    auto model = simulated.sim.Model();
    EXPECT_THAT(model->beeps, ElementsAre(3));
    EXPECT_EQ(model->beeperVolume, 2);
    EXPECT_EQ(model->configurationWrites, 0U);
}

INSTANTIATE_TEST_SUITE_P(Wires, DeviceOperations, ::testing::Values(Wire::FeatureReport, Wire::SerialBinary),
                         [](const auto& info) { return std::string(TavTest::WireParamName(info.param)); });

// A reader with the Legic radio installed and transparent mode offers the transparent-mode calls.
void OfferTransparentMode(ReaderOnSimulator& simulated) {
    auto model = simulated.sim.Model();
    model->hardwareSupported = 1u << 3;
    model->hardwareInstalled = 1u << 3;
    model->transparentModeSupported = true;
}

TEST(ReaderDeviceOperations, TransparentModeIsStoredOnlyWhenAskedAndAfterTheChange) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    OfferTransparentMode(simulated);
    Tav::Reader& reader = simulated.OpenInitialised();
    reader.EnableTransparentMode(true, false);
    EXPECT_EQ(simulated.Phrases(), (std::vector<Bytes>{Phrase({0x8C, 0x80, 1})}));
    simulated.ClearPhrases();
    reader.EnableTransparentMode(true, true);
    EXPECT_EQ(simulated.Phrases(), (std::vector<Bytes>{Phrase({0x8C, 0x80, 1}), Phrase({0x90})}));
    TavProtocol::TransparentModeState state{};
    TavProtocol::TransparentModeStatus status{};
    reader.GetTransparentModeStatus(state, status);
    EXPECT_EQ(static_cast<int>(state), 1);

    simulated.ClearPhrases();
    simulated.InjectFault(TavSim::FaultTrigger::OnCommand({0x8C, 0x80}), TavSim::Fault::NoReply());
    EXPECT_THAT(Refusal([&] { reader.EnableTransparentMode(false, true); }).Message(),
                StartsWith("Operation 'EnableTransparentMode' failed"));
    EXPECT_EQ(simulated.Phrases(), (std::vector<Bytes>{Phrase({0x8C, 0x80, 0})}));
}

TEST(ReaderDeviceOperations, AModuleStateIsSetAndStored) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Tav::Reader& reader = simulated.OpenInitialised();
    reader.SetModuleState(static_cast<TavProtocol::ReaderModuleId>(1), static_cast<TavProtocol::ReaderModuleState>(2));
    TavProtocol::ReaderModuleState state{};
    reader.GetModuleState(static_cast<TavProtocol::ReaderModuleId>(1), state);
    EXPECT_EQ(static_cast<int>(state), 2);
    auto model = simulated.sim.Model();
    EXPECT_EQ(model->moduleStates[1], 2);
    EXPECT_EQ(model->configurationWrites, 1U);
}

TEST(ReaderDeviceOperations, AFailedModuleStateIsNotStored) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Tav::Reader& reader = simulated.OpenInitialised();
    simulated.InjectFault(TavSim::FaultTrigger::OnCommand({0x8C, 0x0B}), TavSim::Fault::NoReply());
    EXPECT_THAT(Refusal([&] {
                    reader.SetModuleState(static_cast<TavProtocol::ReaderModuleId>(1),
                                          static_cast<TavProtocol::ReaderModuleState>(2));
                }).Message(),
                StartsWith("Operation 'SetModuleState' failed"));
    EXPECT_EQ(simulated.sim.Model()->configurationWrites, 0U);
}

TEST(ReaderDeviceOperations, ASmartCardBlobReadsBackWhateverItsLength) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Tav::Reader& reader = simulated.OpenInitialised();
    const Bytes blob{1, 2, 3, 4, 5, 6, 7, 8};
    simulated.sim.Model()->blobs[4] = blob;
    for (const uint16_t length : {6, 8, 1}) {
        SCOPED_TRACE(length);
        TavCommon::SmartCardConfiguration configuration{};
        configuration.Header = {4, 0, length, 0};
        reader.ReadSmartCardConfigurationFromReader(configuration);
        EXPECT_EQ(configuration.Header.DataLength, length);
        EXPECT_EQ(Bytes(configuration.Data, configuration.Data + length), Bytes(blob.begin(), blob.begin() + length));
        EXPECT_EQ(configuration.Data[length], 0);
    }
}

TEST(ReaderDeviceOperations, AFailedSmartCardReadReportsTheReadAndLeavesTheConfiguration) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Tav::Reader& reader = simulated.OpenInitialised();
    simulated.InjectFault(TavSim::FaultTrigger::OnCommand({0x89, 0x10}), TavSim::Fault::NoReply());
    TavCommon::SmartCardConfiguration configuration{};
    configuration.Header = {4, 0, 6, 0};
    configuration.Data[0] = 0x77;
    EXPECT_THAT(Refusal([&] { reader.ReadSmartCardConfigurationFromReader(configuration); }).Message(),
                StartsWith("Operation 'ReadSmartCardConfigurationFromReader' failed"));
    EXPECT_EQ(configuration.Data[0], 0x77);
}

// The header's length is refused before any exchange, as a failed operation; its blob type only
// once the blob is read, by the configuration record itself.
TEST(ReaderDeviceOperations, ASmartCardReadChecksTheLengthBeforeAndTheBlobTypeAfterTheRead) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Tav::Reader& reader = simulated.OpenInitialised();
    TavCommon::SmartCardConfiguration configuration{};
    configuration.Header = {4, 0, 1017, 0};
    const Tav::ReaderException tooLong = Refusal([&] { reader.ReadSmartCardConfigurationFromReader(configuration); });
    EXPECT_EQ(tooLong.Message(),
              "Operation 'ReadSmartCardConfigurationFromReader' failed [Protocol Exception: Blob data length 1017 is "
              "more than the 1016 bytes a blob can carry]");
    EXPECT_TRUE(tooLong.HasInnerException());
    EXPECT_TRUE(simulated.Phrases().empty());

    simulated.sim.Model()->blobs[3] = {1, 2, 3, 4};
    configuration.Header = {3, 0, 4, 0};
    EXPECT_EQ(PlainElvarinFailure([&] { reader.ReadSmartCardConfigurationFromReader(configuration); }),
              "Invalid blob type for SmartCardConfiguration");
    EXPECT_FALSE(simulated.Phrases().empty());
}

// A reader built directly, to hand it a time delay that records instead of sleeping.
class SmartCardFile : public ::testing::Test {
protected:
    SmartCardFile() {
        facadeHandle_ = TavProtocol::ProtocolFacade::CreateInstance(ReaderOnSimulator::Definition(Wire::FeatureReport),
                                                                    0, nullptr);
        reader_ = std::make_unique<Tav::Reader>(TavProtocol::ProtocolFacade::GetInstance(facadeHandle_), facadeHandle_,
                                                std::make_unique<TavTest::RecordingTimeDelay>(waits_));
    }
    ~SmartCardFile() override { reader_->Close(); }

    std::string WriteFile(const std::string& name, const std::string& blobs) const {
        const std::string path = (directory_.Path() / name).string();
        std::ofstream(path) << blobs << "[EOF]\niEndOfIniFile="
                            << CalculateCrc32(std::vector<uint8_t>(blobs.begin(), blobs.end())) << "\n";
        return path;
    }

    ReaderOnSimulator simulated_{Wire::FeatureReport};
    TavTest::TempDir directory_;
    std::shared_ptr<TavTest::Timeline> waits_ = std::make_shared<TavTest::Timeline>();
    TavProtocol::ProtocolHandle facadeHandle_ = 0;
    std::unique_ptr<Tav::Reader> reader_;
};

TEST_F(SmartCardFile, EachBlobIsWrittenAndStoredWithItsPauses) {
    reader_->Init();
    const std::string path =
        WriteFile("card.ini", "[Blob1]\nhdr=4 0 3 0\ndata=01 A2 FF\n[Blob2]\nhdr=F 0 2 0\ndata=10 20\n");
    reader_->WriteSmartCardConfigurationToReader(path);
    auto model = simulated_.sim.Model();
    EXPECT_EQ(Bytes(model->blobs[4].begin(), model->blobs[4].begin() + 3), (Bytes{0x01, 0xA2, 0xFF}));
    EXPECT_EQ(Bytes(model->blobs[15].begin(), model->blobs[15].begin() + 2), (Bytes{0x10, 0x20}));
    EXPECT_EQ(model->configurationWrites, 2U);
    // After each store, and before the store of blob type 15.
    EXPECT_EQ(waits_->Waits(),
              (std::vector<TavTest::RecordedWait>{TavTest::RecordedWait::Milliseconds(500),
                                                  TavTest::RecordedWait::Milliseconds(500),
                                                  TavTest::RecordedWait::Milliseconds(500)}));
}

TEST_F(SmartCardFile, ThePathMustEndInIniBeforeAnythingElseHappens) {
    // A name that starts with its only dot is a hidden file without an extension.
    for (const std::string path : {"config.INI", "config", "/tmp/config.ini.bak", "/tmp/.ini"}) {
        // Not even initialised: the path is judged first.
        const auto error = Refusal([&] { reader_->WriteSmartCardConfigurationToReader(path); });
        EXPECT_EQ(error.Message(), "File '" + path + "' is not a valid INI file.");
        EXPECT_EQ(error.Line(), 614);
    }
    reader_->Init();
    const std::string empty = WriteFile("empty.ini", "");
    simulated_.ClearPhrases();
    reader_->WriteSmartCardConfigurationToReader(empty);
    EXPECT_TRUE(simulated_.Phrases().empty());
}

}  // namespace
