#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Tavelin.h"
#include "common/FixedText.h"
#include "common/HandleCounter.h"
#include "files/Crc32.h"
#include "reader/GetCardDataCallbackHandler.h"
#include "reader/ReaderOnSimulator.h"
#include "support/DeclaredFunctions.h"
#include "support/OpenDescriptorCount.h"
#include "support/ScopedTimeDelayOverride.h"
#include "support/TempDir.h"

namespace {

using TavCommon::ReadFixedField;
namespace fs = std::filesystem;

// Not a reader: any non-null address that was never handed out by TavReader_Open.
int notAReader = 0;
void* const kStranger = &notAReader;

void IgnoreCard(const uint8_t*, uint32_t) {}

struct Outputs {
    ReaderMetadataStruct metadata{};
    uint8_t card[40]{};
    uint32_t bitCount = 0;
    uint8_t volume = 0;
    TavCommon::SmartCardConfiguration smartCard{};
    TavCommon::ReaderConfiguration configuration{};
    TavCommon::ExtendedConfiguration extended{};
    uint32_t moduleState = 0;
    Tav::LedConfiguration led{};
    TavProtocol::LuidResponseInformation luid{};
    TavCardTypeList cardTypes{};
    TavProtocol::TransparentModeState state{};
    TavProtocol::TransparentModeStatus status{};
    TavCommon::ReaderDefinition definition{};
    uint64_t count = 0;
};

// Outputs filled with a mark, the smart-card header (an input) one the reader holds.
std::unique_ptr<Outputs> MarkedOutputs() {
    auto outputs = std::make_unique<Outputs>();
    std::memset(static_cast<void*>(outputs.get()), 0x5A, sizeof(Outputs));
    outputs->smartCard.Header = {4, 0, 6, 0};
    return outputs;
}

struct ArgumentCase {
    std::string function;  // the exported function, as the record names it
    std::string message;
    int32_t line;
    std::function<void(TavResult&, Outputs&)> call;
};

// Every argument check of every exported function, with the handle argument null where a second
// argument is also wrong: the handle is tested first.
std::vector<ArgumentCase> Cases() {
    const std::string nullHandle = "Called with null handle";
    const std::string nullFile = "Called with null fileName";
    return {
        {"Tav_Close", nullHandle, 180, [](TavResult& r, Outputs&) { Tav_Close(&r, nullptr); }},
        {"Tav_Init", nullHandle, 196, [](TavResult& r, Outputs&) { Tav_Init(&r, nullptr); }},
        {"Tav_RefreshMetadata", nullHandle, 213, [](TavResult& r, Outputs&) { Tav_RefreshMetadata(&r, nullptr); }},
        {"Tav_GetMetadataStruct", nullHandle, 237,
         [](TavResult& r, Outputs&) { Tav_GetMetadataStruct(&r, nullptr, nullptr, false); }},
        {"Tav_GetMetadataStruct", "Called with null outStruct", 243,
         [](TavResult& r, Outputs&) { Tav_GetMetadataStruct(&r, kStranger, nullptr, false); }},
        {"TavReader_Beep", nullHandle, 271, [](TavResult& r, Outputs&) { TavReader_Beep(&r, nullptr, 1, 0); }},
        {"TavReader_GetCardData", nullHandle, 293,
         [](TavResult& r, Outputs&) { TavReader_GetCardData(&r, nullptr, nullptr, 0, nullptr, 2); }},
        {"TavReader_GetCardData", "Called with null cardDataOut", 299,
         [](TavResult& r, Outputs& o) { TavReader_GetCardData(&r, kStranger, nullptr, 40, &o.bitCount, 2); }},
        {"TavReader_GetCardData", "Called with null bitCountOut", 305,
         [](TavResult& r, Outputs& o) { TavReader_GetCardData(&r, kStranger, o.card, 40, nullptr, 2); }},
        {"TavReader_GetCardData", "cardDataOut buffer too small. Required size: 32, provided size: 31.", 315,
         [](TavResult& r, Outputs& o) { TavReader_GetCardData(&r, kStranger, o.card, 31, &o.bitCount, 2); }},
        {"TavReader_GetBeeperVolume", nullHandle, 338,
         [](TavResult& r, Outputs&) { TavReader_GetBeeperVolume(&r, nullptr, nullptr); }},
        {"TavReader_GetBeeperVolume", "Called with null volume", 344,
         [](TavResult& r, Outputs&) { TavReader_GetBeeperVolume(&r, kStranger, nullptr); }},
        {"TavReader_SetBeeperVolume", nullHandle, 358,
         [](TavResult& r, Outputs&) { TavReader_SetBeeperVolume(&r, nullptr, TavProtocol::BeepVolume{1}); }},
        {"TavReader_WriteSmartCardConfigurationToReader", nullHandle, 377,
         [](TavResult& r, Outputs&) { TavReader_WriteSmartCardConfigurationToReader(&r, nullptr, nullptr); }},
        {"TavReader_WriteSmartCardConfigurationToReader", nullFile, 383,
         [](TavResult& r, Outputs&) { TavReader_WriteSmartCardConfigurationToReader(&r, kStranger, nullptr); }},
        {"TavReader_ReadSmartCardConfigurationFromReader", nullHandle, 401,
         [](TavResult& r, Outputs&) { TavReader_ReadSmartCardConfigurationFromReader(&r, nullptr, nullptr); }},
        {"TavReader_ReadSmartCardConfigurationFromReader", "Called with null configuration", 407,
         [](TavResult& r, Outputs&) { TavReader_ReadSmartCardConfigurationFromReader(&r, kStranger, nullptr); }},
        {"TavReader_GetReaderConfiguration", nullHandle, 426,
         [](TavResult& r, Outputs&) { TavReader_GetReaderConfiguration(&r, nullptr, 0, nullptr, nullptr); }},
        {"TavReader_GetReaderConfiguration", "Called with null configuration", 432,
         [](TavResult& r, Outputs& o) { TavReader_GetReaderConfiguration(&r, kStranger, 0, nullptr, &o.extended); }},
        {"TavReader_GetReaderConfiguration", "Called with null extended", 438,
         [](TavResult& r, Outputs& o) { TavReader_GetReaderConfiguration(&r, kStranger, 0, &o.configuration, nullptr); }},
        {"TavReader_SetReaderConfiguration", nullHandle, 449,
         [](TavResult& r, Outputs&) { TavReader_SetReaderConfiguration(&r, nullptr, 0, nullptr, nullptr, nullptr); }},
        {"TavReader_SetReaderConfiguration", "Called with null configuration", 455,
         [](TavResult& r, Outputs& o) {
             TavReader_SetReaderConfiguration(&r, kStranger, 0, nullptr, &o.extended, nullptr);
         }},
        {"TavReader_SetReaderConfiguration", "Called with null extended", 461,
         [](TavResult& r, Outputs& o) {
             TavReader_SetReaderConfiguration(&r, kStranger, 0, &o.configuration, nullptr, nullptr);
         }},
        {"TavReader_GetModuleState", nullHandle, 539,
         [](TavResult& r, Outputs&) { TavReader_GetModuleState(&r, nullptr, TavProtocol::ReaderModuleId{1}, nullptr); }},
        {"TavReader_GetModuleState", "Called with null state", 545,
         [](TavResult& r, Outputs&) {
             TavReader_GetModuleState(&r, kStranger, TavProtocol::ReaderModuleId{1}, nullptr);
         }},
        {"TavReader_SetModuleState", nullHandle, 561,
         [](TavResult& r, Outputs&) {
             TavReader_SetModuleState(&r, nullptr, TavProtocol::ReaderModuleId{1}, TavProtocol::ReaderModuleState{1});
         }},
        {"TavReader_GetLedConfiguration", nullHandle, 582,
         [](TavResult& r, Outputs&) { TavReader_GetLedConfiguration(&r, nullptr, 0, nullptr); }},
        {"TavReader_GetLedConfiguration", "Called with null led", 588,
         [](TavResult& r, Outputs&) { TavReader_GetLedConfiguration(&r, kStranger, 0, nullptr); }},
        {"TavReader_SetLedConfiguration", nullHandle, 601,
         [](TavResult& r, Outputs&) { TavReader_SetLedConfiguration(&r, nullptr, 0, nullptr); }},
        {"TavReader_SetLedConfiguration", "Called with null led", 607,
         [](TavResult& r, Outputs&) { TavReader_SetLedConfiguration(&r, kStranger, 0, nullptr); }},
        {"TavReader_EnableKeystroking", nullHandle, 619,
         [](TavResult& r, Outputs&) { TavReader_EnableKeystroking(&r, nullptr, true); }},
        {"TavReader_GetLuid", nullHandle, 637, [](TavResult& r, Outputs&) { TavReader_GetLuid(&r, nullptr, nullptr); }},
        {"TavReader_GetLuid", "Called with null luid", 643,
         [](TavResult& r, Outputs&) { TavReader_GetLuid(&r, kStranger, nullptr); }},
        {"TavReader_SetLuid", nullHandle, 655, [](TavResult& r, Outputs&) { TavReader_SetLuid(&r, nullptr, 1); }},
        {"TavReader_WriteUserDefaultsToReader", nullHandle, 672,
         [](TavResult& r, Outputs&) { TavReader_WriteUserDefaultsToReader(&r, nullptr); }},
        {"TavReader_ResetReaderConfiguration", nullHandle, 690,
         [](TavResult& r, Outputs&) { TavReader_ResetReaderConfiguration(&r, nullptr, 1); }},
        {"TavReader_GetSupportedCardTypes", nullHandle, 709,
         [](TavResult& r, Outputs&) { TavReader_GetSupportedCardTypes(&r, nullptr, nullptr); }},
        {"TavReader_GetSupportedCardTypes", "Called with null outResult", 715,
         [](TavResult& r, Outputs&) { TavReader_GetSupportedCardTypes(&r, kStranger, nullptr); }},
        {"TavReader_ReadBleConfigurationFromReader", nullHandle, 751,
         [](TavResult& r, Outputs&) { TavReader_ReadBleConfigurationFromReader(&r, nullptr, 1, nullptr); }},
        {"TavReader_ReadBleConfigurationFromReader", nullFile, 757,
         [](TavResult& r, Outputs&) { TavReader_ReadBleConfigurationFromReader(&r, kStranger, 1, nullptr); }},
        {"TavReader_ReadBleConfigurationFromReader", "Invalid dataType. Must be 1 (Data) or 2 (Key)", 763,
         [](TavResult& r, Outputs&) { TavReader_ReadBleConfigurationFromReader(&r, kStranger, 3, "x.hwg"); }},
        {"TavReader_WriteBleConfigurationToReader", nullHandle, 784,
         [](TavResult& r, Outputs&) { TavReader_WriteBleConfigurationToReader(&r, nullptr, 1, nullptr); }},
        {"TavReader_WriteBleConfigurationToReader", nullFile, 790,
         [](TavResult& r, Outputs&) { TavReader_WriteBleConfigurationToReader(&r, kStranger, 1, nullptr); }},
        {"TavReader_WriteBleConfigurationToReader", "Invalid dataType. Must be 1 (Data), 2 (Key), or 3 (UnencryptedKey)",
         796, [](TavResult& r, Outputs&) { TavReader_WriteBleConfigurationToReader(&r, kStranger, 0, "x.hwg"); }},
        {"TavReader_WriteBleConfigurationToReader", "Invalid dataType. Must be 1 (Data), 2 (Key), or 3 (UnencryptedKey)",
         796, [](TavResult& r, Outputs&) { TavReader_WriteBleConfigurationToReader(&r, kStranger, 4, "x.hwg"); }},
        {"TavReader_WriteHwgFileToReader", nullHandle, 816,
         [](TavResult& r, Outputs&) { TavReader_WriteHwgFileToReader(&r, nullptr, nullptr); }},
        {"TavReader_WriteHwgFileToReader", nullFile, 822,
         [](TavResult& r, Outputs&) { TavReader_WriteHwgFileToReader(&r, kStranger, nullptr); }},
        {"TavReader_ReadHwgFileFromReader", nullHandle, 840,
         [](TavResult& r, Outputs&) { TavReader_ReadHwgFileFromReader(&r, nullptr, nullptr, true); }},
        {"TavReader_ReadHwgFileFromReader", nullFile, 846,
         [](TavResult& r, Outputs&) { TavReader_ReadHwgFileFromReader(&r, kStranger, nullptr, true); }},
        {"TavReader_OnCredentialPresented", nullHandle, 864,
         [](TavResult& r, Outputs&) { EXPECT_EQ(TavReader_OnCredentialPresented(&r, nullptr, nullptr, 2), 0u); }},
        {"TavReader_OnCredentialPresented", "Called with null callback", 870,
         [](TavResult& r, Outputs&) { EXPECT_EQ(TavReader_OnCredentialPresented(&r, kStranger, nullptr, 2), 0u); }},
        {"TavReader_OnCredentialPresented", "Size parameter must be between 0x01 and 0x02", 876,
         [](TavResult& r, Outputs&) { EXPECT_EQ(TavReader_OnCredentialPresented(&r, kStranger, IgnoreCard, 0), 0u); }},
        {"TavReader_OnCredentialPresented", "Size parameter must be between 0x01 and 0x02", 876,
         [](TavResult& r, Outputs&) { EXPECT_EQ(TavReader_OnCredentialPresented(&r, kStranger, IgnoreCard, 3), 0u); }},
        {"TavReader_OnCredentialPresented", "Size parameter must be between 0x01 and 0x02", 876,
         [](TavResult& r, Outputs&) {
             EXPECT_EQ(TavReader_OnCredentialPresented(&r, kStranger, IgnoreCard, 255), 0u);
         }},
        {"TavReader_UnsubscribeCredentialCallback", nullHandle, 901,
         [](TavResult& r, Outputs&) { TavReader_UnsubscribeCredentialCallback(&r, nullptr, 1); }},
        {"TavReader_EnableTransparentMode", nullHandle, 920,
         [](TavResult& r, Outputs&) { TavReader_EnableTransparentMode(&r, nullptr, 1, 0); }},
        {"TavReader_GetTransparentModeStatus", nullHandle, 939,
         [](TavResult& r, Outputs&) { TavReader_GetTransparentModeStatus(&r, nullptr, nullptr, nullptr); }},
        {"TavReader_GetTransparentModeStatus", "Called with null state", 945,
         [](TavResult& r, Outputs& o) { TavReader_GetTransparentModeStatus(&r, kStranger, nullptr, &o.status); }},
        {"TavReader_GetTransparentModeStatus", "Called with null status", 951,
         [](TavResult& r, Outputs& o) { TavReader_GetTransparentModeStatus(&r, kStranger, &o.state, nullptr); }},
        {"Tav_DiscoverUsbReaders", "Called with null readerCount pointer", 970,
         [](TavResult& r, Outputs& o) { Tav_DiscoverUsbReaders(&r, &o.definition, nullptr); }},
        {"TavReader_Open", "Called with null definition", 109,
         [](TavResult& r, Outputs&) { EXPECT_EQ(TavReader_Open(&r, nullptr, 0), nullptr); }},
    };
}

// An argument error names the exported function and its line, has no inner error whatever the
// record held before, and writes no output.
TEST(ExportedArguments, EveryCheckReportsItselfAndTouchesNothing) {
    for (const ArgumentCase& c : Cases()) {
        SCOPED_TRACE(c.function + ": " + c.message);
        auto outputs = MarkedOutputs();
        const auto before = MarkedOutputs();
        TavResult result;
        std::memset(&result, 'x', sizeof result);
        c.call(result, *outputs);
        EXPECT_EQ(result.Code, 1);
        EXPECT_EQ(ReadFixedField(result.ExceptionType), "");
        EXPECT_EQ(ReadFixedField(result.Message), c.message);
        EXPECT_EQ(ReadFixedField(result.File), "Reader_C");
        EXPECT_EQ(int32_t{result.Line}, c.line);
        EXPECT_EQ(ReadFixedField(result.Function), c.function);
        EXPECT_EQ(result.HasInnerException, 0);
        EXPECT_EQ(ReadFixedField(result.InnerMessage), "");
        EXPECT_EQ(std::memcmp(outputs.get(), before.get(), sizeof(Outputs)), 0);
    }
}

// The flat functions that report in a record: all but Tav_BuildLibraryInfo.
bool TakesAResult(const TavTest::DeclaredFunction& function) {
    return !function.parameters.empty() && function.parameters.front().starts_with("TavResult*");
}

// A function added to the header without rows here fails; Tav_BuildLibraryInfo has no record to
// report in and its own test below.
TEST(ExportedArguments, EveryFlatFunctionThatReportsHasRows) {
    std::set<std::string> withRows;
    for (const ArgumentCase& c : Cases()) {
        withRows.insert(c.function);
    }
    for (const auto& function : TavTest::FlatFunctions()) {
        if (TakesAResult(function)) {
            EXPECT_TRUE(withRows.contains(function.name)) << function.name << " has no argument-error rows";
        }
    }
}

// A check added to an exported function without its row above fails here.
TEST(ExportedArguments, EveryArgumentCheckHasARow) {
    std::set<std::pair<std::string, int32_t>> rows;
    for (const ArgumentCase& c : Cases()) {
        rows.emplace(c.function, c.line);
    }
    const auto checks = TavTest::ArgumentChecks();
    ASSERT_FALSE(checks.empty());
    for (const auto& check : checks) {
        EXPECT_TRUE(rows.contains({check.function, check.line}))
            << check.function << " has no row for its check at " << check.constant << " (" << check.line << ")";
    }
}

// A host tells the checks apart by their lines: a new check takes a line no other check uses.
TEST(ExportedArguments, EveryCheckHasALineOfItsOwn) {
    std::map<int32_t, std::string> checks;
    for (const ArgumentCase& c : Cases()) {
        const std::string check = c.function + ": " + c.message;
        const auto [found, added] = checks.emplace(c.line, check);
        EXPECT_TRUE(added || found->second == check) << c.line << " is the line of " << found->second << " and of "
                                                     << check;
    }
}

// A handle that TavReader_Open never returned is not followed.
TEST(ExportedArguments, AStrangeHandleIsRefusedAndClosingItSucceeds) {
    TavResult result;
    Tav_Init(&result, kStranger);
    EXPECT_EQ(result.Code, 1);
    EXPECT_EQ(ReadFixedField(result.Message), "Invalid reader handle");
    EXPECT_EQ(int32_t{result.Line}, 196);
    EXPECT_EQ(ReadFixedField(result.Function), "Tav_Init");

    uint8_t volume = 7;
    TavReader_GetBeeperVolume(&result, kStranger, &volume);
    EXPECT_EQ(ReadFixedField(result.Message), "Invalid reader handle");
    EXPECT_EQ(volume, 7);

    Tav_Close(&result, kStranger);
    EXPECT_EQ(result.Code, 0);
    EXPECT_EQ(int32_t{result.Line}, 75);
    EXPECT_EQ(ReadFixedField(result.Function), "ExecuteCppMethod");
}

// An exported function called with valid arguments, its record given by pointer.
struct ValidCall {
    std::string function;
    std::function<void(TavResult*, void* handle, Outputs&)> call;
    // The metadata is read as far as the reader answers: a silent reader does not fail it.
    bool failsOnSilentReader = true;
};

// Every exported function with an output, called with valid pointers.
std::vector<ValidCall> OutputCases() {
    return {
        {"Tav_GetMetadataStruct",
         [](TavResult* r, void* h, Outputs& o) { Tav_GetMetadataStruct(r, h, &o.metadata, true); }, false},
        {"TavReader_GetCardData",
         [](TavResult* r, void* h, Outputs& o) {
             TavReader_GetCardData(r, h, o.card, sizeof o.card, &o.bitCount, 2);
         }},
        {"TavReader_GetBeeperVolume",
         [](TavResult* r, void* h, Outputs& o) { TavReader_GetBeeperVolume(r, h, &o.volume); }},
        {"TavReader_ReadSmartCardConfigurationFromReader",
         [](TavResult* r, void* h, Outputs& o) {
             TavReader_ReadSmartCardConfigurationFromReader(r, h, &o.smartCard);
         }},
        {"TavReader_GetReaderConfiguration",
         [](TavResult* r, void* h, Outputs& o) {
             TavReader_GetReaderConfiguration(r, h, 0, &o.configuration, &o.extended);
         }},
        {"TavReader_GetModuleState",
         [](TavResult* r, void* h, Outputs& o) {
             TavReader_GetModuleState(r, h, TavProtocol::ReaderModuleId{1}, &o.moduleState);
         }},
        {"TavReader_GetLedConfiguration",
         [](TavResult* r, void* h, Outputs& o) { TavReader_GetLedConfiguration(r, h, 0, &o.led); }},
        {"TavReader_GetLuid", [](TavResult* r, void* h, Outputs& o) { TavReader_GetLuid(r, h, &o.luid); }},
        {"TavReader_GetSupportedCardTypes",
         [](TavResult* r, void* h, Outputs& o) { TavReader_GetSupportedCardTypes(r, h, &o.cardTypes); }},
        {"TavReader_GetTransparentModeStatus",
         [](TavResult* r, void* h, Outputs& o) { TavReader_GetTransparentModeStatus(r, h, &o.state, &o.status); }},
    };
}

// A function added to the header with an output and no row in OutputCases() fails here. Discovery
// takes no handle, so the failures below do not reach it; UsbReaderDiscovery_test.cpp pins its
// outputs.
TEST(ExportedArguments, EveryFlatFunctionWithAnOutputHasAnOutputRow) {
    const std::set<std::string> withoutHandle = {"Tav_DiscoverUsbReaders"};
    std::set<std::string> withRow;
    for (const auto& c : OutputCases()) {
        withRow.insert(c.function);
    }
    const std::regex output(R"([\w:]+\s*\*\s*\w+)");  // a pointer to something the function may change
    for (const auto& function : TavTest::FlatFunctions()) {
        if (!TakesAResult(function) || withoutHandle.contains(function.name)) {
            continue;
        }
        const bool hasOutput = std::any_of(function.parameters.begin() + 1, function.parameters.end(),
                                           [&](const std::string& parameter) {
                                               return !parameter.starts_with("void*") &&
                                                      std::regex_match(parameter, output);
                                           });
        EXPECT_TRUE(!hasOutput || withRow.contains(function.name)) << function.name << " has no row in OutputCases()";
    }
}

// A reader on which every function with an output succeeds: a blob, a presented card, a card
// type, and the Legic radio and transparent mode, which the transparent-mode status needs.
void StockForOutputs(TavSim::DeviceModel& model) {
    model.blobs[4] = {1, 2, 3, 4, 5, 6};
    model.presentedCards.push_back({0x0001, 26, {0x11, 0x22, 0x33, 0xC0}});
    model.supportedCardTypes = {0x0206};
    model.hardwareSupported = 1u << 3;
    model.hardwareInstalled = 1u << 3;
    model.transparentModeSupported = true;
}

// Outputs are written only after the reader's operation succeeded: a call that fails with valid
// pointers, on a handle that is not a reader or on a reader that stopped answering, leaves them
// as they were. The same calls on the answering reader write them.
TEST(ExportedArguments, AFailedCallLeavesEveryOutputAsItWas) {
    const TavTest::ScopedTimeDelayOverride noWaits;
    TavTest::ReaderOnSimulator simulated(TavTest::Wire::FeatureReport);
    StockForOutputs(*simulated.sim.Model());
    simulated.OpenInitialised();
    for (const ValidCall& c : OutputCases()) {
        SCOPED_TRACE(c.function);
        for (void* const handle : {kStranger, simulated.handle}) {
            SCOPED_TRACE(handle == kStranger ? "not a reader" : "reader not answering");
            if (handle != kStranger) {
                if (!c.failsOnSilentReader) {
                    continue;
                }
                simulated.InjectFault(TavSim::FaultTrigger::OnCommand({}), TavSim::Fault::NoReply());
            }
            auto outputs = MarkedOutputs();
            const auto before = MarkedOutputs();
            TavResult result;
            c.call(&result, handle, *outputs);
            simulated.ClearFaults();
            EXPECT_EQ(result.Code, 1);
            EXPECT_EQ(std::memcmp(outputs.get(), before.get(), sizeof(Outputs)), 0) << ReadFixedField(result.Message);
        }
        auto outputs = MarkedOutputs();
        const auto before = MarkedOutputs();
        TavResult result;
        c.call(&result, simulated.handle, *outputs);
        EXPECT_EQ(result.Code, 0) << ReadFixedField(result.Message);
        EXPECT_NE(std::memcmp(outputs.get(), before.get(), sizeof(Outputs)), 0);
    }
}

// Whether a reader has subscribers. Its callback handler is protected, so the test reads it through
// a member pointer taken in a derived class.
struct Subscribers : Tav::AbstractReader {
    static bool Any(const Tav::AbstractReader& reader) {
        return (reader.*&Subscribers::callbackHandler_)->HasCallbacks();
    }
};

std::ptrdiff_t Entries(const fs::path& folder) {
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

// Files a reader accepts, in the folder: an HWG file and a BLE HWG file the reader wrote, and a
// smart-card file.
void SaveInputFiles(void* handle, const fs::path& folder) {
    TavResult result;
    TavReader_ReadHwgFileFromReader(&result, handle, (folder / "saved.hwg").c_str(), true);
    ASSERT_EQ(result.Code, 0) << ReadFixedField(result.Message);
    TavReader_ReadBleConfigurationFromReader(&result, handle, 1, (folder / "saved-ble.hwg").c_str());
    ASSERT_EQ(result.Code, 0) << ReadFixedField(result.Message);
    const std::string blobs = "[Blob1]\nhdr=4 0 2 0\ndata=DE AD\n";
    std::ofstream(folder / "cards.ini") << blobs << "[EOF]\niEndOfIniFile=" << CalculateCrc32(blobs) << "\n";
}

// The exported functions without an output of their own, on the reader, the input files of the
// folder and the file names the reading functions would write.
std::vector<ValidCall> ActionCases(const fs::path& folder) {
    const std::string hwg = (folder / "saved.hwg").string();
    const std::string ble = (folder / "saved-ble.hwg").string();
    const std::string cards = (folder / "cards.ini").string();
    const std::string readHwg = (folder / "read.hwg").string();
    const std::string readBle = (folder / "read-ble.hwg").string();
    return {
        {"TavReader_Open",
         [](TavResult* r, void*, Outputs&) {
             const auto definition = TavTest::ReaderOnSimulator::Definition(TavTest::Wire::FeatureReport);
             EXPECT_EQ(TavReader_Open(r, &definition, 0), nullptr);
         }},
        {"Tav_Init", [](TavResult* r, void* h, Outputs&) { Tav_Init(r, h); }},
        {"Tav_RefreshMetadata", [](TavResult* r, void* h, Outputs&) { Tav_RefreshMetadata(r, h); }},
        {"TavReader_Beep", [](TavResult* r, void* h, Outputs&) { TavReader_Beep(r, h, 1, 0); }},
        {"TavReader_SetBeeperVolume",
         [](TavResult* r, void* h, Outputs&) { TavReader_SetBeeperVolume(r, h, TavProtocol::BeepVolume{1}); }},
        {"TavReader_WriteSmartCardConfigurationToReader",
         [cards](TavResult* r, void* h, Outputs&) {
             TavReader_WriteSmartCardConfigurationToReader(r, h, cards.c_str());
         }},
        {"TavReader_SetReaderConfiguration",
         [](TavResult* r, void* h, Outputs&) {
             const TavCommon::ReaderConfiguration configuration;
             const TavCommon::ExtendedConfiguration extended{};
             TavReader_SetReaderConfiguration(r, h, 0, &configuration, &extended, nullptr);
         }},
        {"TavReader_SetModuleState",
         [](TavResult* r, void* h, Outputs&) {
             TavReader_SetModuleState(r, h, TavProtocol::ReaderModuleId{1}, TavProtocol::ReaderModuleState{1});
         }},
        {"TavReader_SetLedConfiguration",
         [](TavResult* r, void* h, Outputs&) {
             const Tav::LedConfiguration led{3, 1};
             TavReader_SetLedConfiguration(r, h, 0, &led);
         }},
        {"TavReader_EnableKeystroking",
         [](TavResult* r, void* h, Outputs&) { TavReader_EnableKeystroking(r, h, true); }},
        {"TavReader_SetLuid", [](TavResult* r, void* h, Outputs&) { TavReader_SetLuid(r, h, 7); }},
        {"TavReader_WriteUserDefaultsToReader",
         [](TavResult* r, void* h, Outputs&) { TavReader_WriteUserDefaultsToReader(r, h); }},
        {"TavReader_ResetReaderConfiguration",
         [](TavResult* r, void* h, Outputs&) { TavReader_ResetReaderConfiguration(r, h, 1); }},
        {"TavReader_ReadBleConfigurationFromReader",
         [readBle](TavResult* r, void* h, Outputs&) {
             TavReader_ReadBleConfigurationFromReader(r, h, 1, readBle.c_str());
         }},
        {"TavReader_WriteBleConfigurationToReader",
         [ble](TavResult* r, void* h, Outputs&) { TavReader_WriteBleConfigurationToReader(r, h, 1, ble.c_str()); }},
        {"TavReader_WriteHwgFileToReader",
         [hwg](TavResult* r, void* h, Outputs&) { TavReader_WriteHwgFileToReader(r, h, hwg.c_str()); }},
        {"TavReader_ReadHwgFileFromReader",
         [readHwg](TavResult* r, void* h, Outputs&) { TavReader_ReadHwgFileFromReader(r, h, readHwg.c_str(), true); }},
        {"TavReader_OnCredentialPresented",
         [](TavResult* r, void* h, Outputs&) { EXPECT_EQ(TavReader_OnCredentialPresented(r, h, IgnoreCard, 2), 0u); }},
        {"TavReader_UnsubscribeCredentialCallback",
         [](TavResult* r, void* h, Outputs&) { TavReader_UnsubscribeCredentialCallback(r, h, 1); }},
        {"TavReader_EnableTransparentMode",
         [](TavResult* r, void* h, Outputs&) { TavReader_EnableTransparentMode(r, h, 1, 0); }},
        {"Tav_DiscoverUsbReaders",
         [](TavResult* r, void*, Outputs& o) { Tav_DiscoverUsbReaders(r, nullptr, &o.count); }},
        // Last, so that a reader it closed would leave the rows above their reader.
        {"Tav_Close", [](TavResult* r, void* h, Outputs&) { Tav_Close(r, h); }},
    };
}

// A call without a record has nowhere to report, so it does nothing at all: no reader opened or
// closed, no phrase to the reader, no subscription, no output or file written, no descriptor left.
TEST(ExportedArguments, ACallWithoutARecordDoesNothing) {
    const TavTest::ScopedTimeDelayOverride noWaits;
    const TavTest::TempDir folder;
    TavTest::ReaderOnSimulator simulated(TavTest::Wire::FeatureReport);
    StockForOutputs(*simulated.sim.Model());
    simulated.sim.Model()->bleData[1] = std::vector<uint8_t>(384, 0);  // to save as a BLE HWG file
    simulated.OpenInitialised();
    SaveInputFiles(simulated.handle, folder.Path());
    simulated.ClearPhrases();

    std::vector<ValidCall> cases = OutputCases();
    const std::vector<ValidCall> actions = ActionCases(folder.Path());
    cases.insert(cases.end(), actions.begin(), actions.end());
    std::set<std::string> withRows;
    for (const ValidCall& c : cases) {
        SCOPED_TRACE(c.function);
        withRows.insert(c.function);
        auto outputs = MarkedOutputs();
        const auto before = MarkedOutputs();
        const auto files = Entries(folder.Path());
        const std::size_t descriptors = TavTest::OpenDescriptorCount();
        const uint64_t handleBefore = TavCommon::HandleCounter::Next();

        c.call(nullptr, simulated.handle, *outputs);

        EXPECT_EQ(TavCommon::HandleCounter::Next(), handleBefore + 1) << "a reader or facade was opened";
        EXPECT_EQ(Tav::AbstractReader::GetInstance(simulated.handle).get(), simulated.reader.get())
            << "the reader was closed";
        EXPECT_TRUE(simulated.Phrases().empty());
        EXPECT_FALSE(Subscribers::Any(*simulated.reader));
        EXPECT_EQ(std::memcmp(outputs.get(), before.get(), sizeof(Outputs)), 0);
        EXPECT_EQ(Entries(folder.Path()), files);
        EXPECT_EQ(TavTest::OpenDescriptorCount(), descriptors);
    }
    for (const auto& function : TavTest::FlatFunctions()) {
        if (TakesAResult(function)) {
            EXPECT_TRUE(withRows.contains(function.name)) << function.name << " has no row";
        }
    }
}

TEST(ExportedArguments, BuildLibraryInfoLeavesANullRecordNull) {
    EXPECT_EQ(Tav_BuildLibraryInfo(nullptr), nullptr);
}

}  // namespace

namespace {

// A host may fill a text field of its definition to the last byte, and pass any retry count.
TEST(ExportedArguments, OpenReadsTextsWithinTheirFieldsAndTakesANegativeRetryCountAsNone) {
    TavCommon::ReaderDefinition definition{};
    definition.ProtocolType = 1;
    std::memset(definition.UsbPath, '9', sizeof definition.UsbPath);
    std::memset(definition.SerialNumber, 'S', sizeof definition.SerialNumber);
    TavResult result;
    EXPECT_EQ(TavReader_Open(&result, &definition, -3), nullptr);
    EXPECT_EQ(result.Code, 1);
    EXPECT_NE(ReadFixedField(result.Message).find("after 1 attempts"), std::string_view::npos) << result.Message;

    definition = TavCommon::ReaderDefinition{};
    definition.ProtocolType = 3;
    definition.SerialPortSettings.BaudRate = 9600;
    std::memset(definition.SerialPortSettings.PortName, 'p', sizeof definition.SerialPortSettings.PortName);
    EXPECT_EQ(TavReader_Open(&result, &definition, 0), nullptr);
    EXPECT_EQ(result.Code, 1);
}

// A buffer too small for the card is refused before anything reaches the reader, which could
// otherwise hand over the card to a caller who cannot take it; a larger one gets all 32 card bytes
// (a card that fills them, none zero) and zeros behind them.
TEST(ExportedArguments, GetCardDataRefusesASmallBufferBeforeTheRead) {
    TavTest::ReaderOnSimulator simulated(TavTest::Wire::FeatureReport);
    std::vector<uint8_t> fullCard(32);
    for (std::size_t i = 0; i < fullCard.size(); ++i) {
        fullCard[i] = static_cast<uint8_t>(0xA1 + i);
    }
    simulated.sim.Model()->presentedCards.push_back({0x0001, 255, fullCard});
    simulated.OpenInitialised();
    uint8_t card[40];
    std::memset(card, 0xEE, sizeof card);
    uint32_t bitCount = 99;
    TavResult result;

    TavReader_GetCardData(&result, simulated.handle, card, 31, &bitCount, 2);
    EXPECT_EQ(ReadFixedField(result.Message), "cardDataOut buffer too small. Required size: 32, provided size: 31.");
    EXPECT_EQ(int32_t{result.Line}, 315);
    EXPECT_TRUE(simulated.Phrases().empty());
    EXPECT_EQ(card[0], 0xEE);
    EXPECT_EQ(bitCount, 99U);

    TavReader_GetCardData(&result, simulated.handle, card, sizeof card, &bitCount, 2);
    EXPECT_EQ(result.Code, 0) << ReadFixedField(result.Message);
    std::vector<uint8_t> expected = fullCard;
    expected.resize(sizeof card, 0);
    EXPECT_EQ(std::vector<uint8_t>(std::begin(card), std::end(card)), expected);
    EXPECT_EQ(bitCount, 255U);
}

}  // namespace
