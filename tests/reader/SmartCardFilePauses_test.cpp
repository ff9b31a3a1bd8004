#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "Tavelin.h"
#include "files/Crc32.h"
#include "reader/ReaderOnSimulator.h"
#include "support/ScopedTimeDelayOverride.h"
#include "support/TempDir.h"

namespace {

using TavTest::RecordedWait;

// A reader opened through the registry takes its smart-card pauses from the replaceable delay, so
// they are recorded here instead of slept: half a second after a type-15 blob and after each store.
TEST(SmartCardFilePauses, AReaderOpenedByAHostPausesThroughTheReplaceableDelay) {
    const TavTest::ScopedTimeDelayOverride recorded;
    TavTest::TempDir folder;
    const std::string blobs = "[Blob1]\nhdr=4 0 2 0\ndata=DE AD\n[Blob2]\nhdr=F 0 1 0\ndata=0A\n";
    const std::filesystem::path file = folder.Path() / "cards.ini";
    std::ofstream(file) << blobs << "[EOF]\niEndOfIniFile=" << CalculateCrc32({blobs.begin(), blobs.end()}) << "\n";
    TavTest::ReaderOnSimulator simulated(TavTest::Wire::FeatureReport);
    simulated.OpenInitialised();

    TavResult result{};
    TavReader_WriteSmartCardConfigurationToReader(&result, simulated.handle, file.c_str());

    ASSERT_EQ(result.Code, 0) << result.Message;
    const auto half = RecordedWait::Milliseconds(500);
    EXPECT_EQ(recorded.Log().Waits(), (std::vector<RecordedWait>{half, half, half}));
    EXPECT_EQ(simulated.sim.Model()->blobs[15].at(0), 0x0A);
}

}  // namespace
