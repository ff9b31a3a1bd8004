// A fault at every phrase of every multi-phrase operation, through the exported functions: the
// operation runs once clean to count its phrases, then once per phrase and fault kind with the
// fault at that phrase. Every run must end in time with a well-formed record, a failure with a
// message or a success; leave no file half written; leave the simulated reader holding, unit by unit,
// what it held or what the clean run leaves; and leave a reader on which the same operation succeeds
// again (a device that is gone fails every operation until it is closed).
//
// A fault that only withholds a reply (none, late, device gone) never yields a value: a success
// must be the clean run's result exactly. A fault that changes what the reply says (a corrupt byte,
// filler, and on a serial line a cut reply or a status word over data) can be a value the reader sent.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "Tavelin.h"
#include "common/ExtendedConfiguration.h"
#include "common/FixedText.h"
#include "files/Crc32.h"
#include "reader/ReaderOnSimulator.h"
#include "reader/TimeLimit.h"
#include "support/ScopedTimeDelayOverride.h"
#include "support/TempDir.h"

namespace {

using namespace std::chrono_literals;
using TavSim::Fault;
using TavSim::FaultKind;
using TavSim::FaultTrigger;
using TavTest::ReaderOnSimulator;
using TavTest::Wire;
using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

// The transports' receive window; a late reply comes just after it.
constexpr auto kReceiveWindow = 25ms;
// Far more than any run needs: a run that takes longer hangs somewhere.
constexpr auto kRunLimit = 5s;

struct FaultCase {
    const char* name;
    Fault fault;
};

// One fault of each kind the simulated reader can show.
const std::vector<FaultCase>& FaultKinds() {
    static const std::vector<FaultCase> kinds{
        {"no reply", Fault::NoReply()},
        {"short reply", Fault::ShortReply(1)},
        {"corrupt byte", Fault::CorruptByte(0, 0xEE)},
        {"wrong status word", Fault::WrongStatusWord(0x6F00)},
        {"late reply", Fault::LateReply(kReceiveWindow + 5ms)},
        {"endless reply", Fault::EndlessReply()},
        {"device gone", Fault::DeviceGone()},
    };
    return kinds;
}

// Everything an operation of the sweep can change in the reader, in units that an operation
// writes whole: a block, an extended configuration, a blob, a BLE data set, the LUID.
std::map<std::string, Bytes> HeldUnits(TavSim::SimulatedReader& sim) {
    auto model = sim.Model();
    std::map<std::string, Bytes> units;
    for (std::size_t c = 0; c < model->configurations.size(); ++c) {
        const auto& configuration = model->configurations[c];
        for (std::size_t b = 0; b < configuration.blocks.size(); ++b) {
            units["configuration " + std::to_string(c) + " block " + std::to_string(b + 1)] =
                Bytes(configuration.blocks[b].begin(), configuration.blocks[b].end());
        }
        units["configuration " + std::to_string(c) + " extended"] =
            Bytes(configuration.extended.begin(), configuration.extended.end());
    }
    for (const auto& [type, data] : model->blobs) {
        units["blob " + std::to_string(type)] = data;
    }
    // The reader stores BLE data one 128-byte wire block at a time.
    for (const auto& [type, data] : model->bleData) {
        for (std::size_t offset = 0; offset < data.size(); offset += 128) {
            const std::size_t end = std::min(data.size(), offset + 128);
            units["BLE data " + std::to_string(type) + " from " + std::to_string(offset)] = Bytes(
                data.begin() + static_cast<std::ptrdiff_t>(offset), data.begin() + static_cast<std::ptrdiff_t>(end));
        }
    }
    units["LUID"] = {static_cast<uint8_t>(model->luid), static_cast<uint8_t>(model->luid >> 8)};
    return units;
}

Bytes FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

template <typename Record>
Bytes RecordBytes(const Record& record) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    return Bytes(bytes, bytes + sizeof record);
}

std::string Message(const TavResult& result) { return std::string(TavCommon::ReadFixedField(result.Message)); }

// What a run sees around the operation: its folder for files, and the reader it runs on.
struct Run {
    const fs::path& folder;
    void* handle;
};

// One operation of the sweep: what the reader and the folder hold before it, and the call, which
// returns what the host sees afterwards (its output records, or the file it wrote).
struct Operation {
    std::string name;
    // The operation is Tav_Init itself: the reader is opened but not initialised before it.
    bool isInit = false;
    // Fills the folder the runs copy their files from; made once, before any reader of the sweep.
    std::function<void(const fs::path& folder)> setUpFolder;
    std::function<Bytes(TavResult&, const Run&)> call;
};

// A configuration the host writes: different from what the simulated reader holds in every block.
TavCommon::ReaderConfiguration HostConfiguration() {
    TavCommon::ReaderConfiguration configuration;
    configuration.SetFacDigitCount(5).SetIdDigitCount(7).SetDataHoldTimeMs(500).SetDisableKeystroking(1);
    configuration.SetEnableRedLed(1).SetUseFixedLengthFac(1).SetCardType(0x0206).SetSorwynCharacterCount(2);
    return configuration;
}

// An extended configuration a reader accepts: a header without entries, the application data marked.
TavCommon::ExtendedConfiguration ValidExtendedConfiguration(uint8_t mark) {
    TavCommon::ExtendedConfiguration extended{};
    extended.Header = {.StructureVersion = 1,
                       .HeaderSize = 4,
                       .FieldEntrySize = 4,
                       .FieldEntryCount = 0,
                       .SeparatorEntrySize = 2,
                       .SeparatorEntryCount = 0,
                       .MaxStorageSize = 16};
    const Bytes image = extended.ToVector();
    Bytes marked = image;
    marked[marked.size() - 1] = mark;
    return TavCommon::ExtendedConfiguration::FromVector(marked);
}

constexpr uint8_t kBlobType = 4;
constexpr uint8_t kBleDataType = 1;
constexpr std::size_t kBleDataSize = 384;

Bytes BleData(uint8_t seed) {
    Bytes data(kBleDataSize);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 7 + seed);
    }
    // The bytes the reader's firmware manages hold what a reader without RF HID BLE expects.
    for (const std::size_t managed : {145, 146, 147, 148, 173, 194, 213}) {
        data[managed] = 0;
    }
    return data;
}

std::string SmartCardFile() {
    const std::string blobs = "[Blob1]\nhdr=4 0 6 0\ndata=DE AD BE EF 01 02\n[Blob2]\nhdr=F 0 3 0\ndata=0A 0B 0C\n";
    return blobs + "[EOF]\niEndOfIniFile=" + CalculateCrc32(Bytes(blobs.begin(), blobs.end())) + "\n";
}

// The reader of the sweep: two configurations whose blocks differ from each other and from what
// the host writes, extended mode supported (block 2 bit 6), a blob and BLE data to read.
void SetUpSweepReader(TavSim::DeviceModel& model) {
    model.configurationCount = 2;
    for (std::size_t c = 0; c < model.configurations.size(); ++c) {
        auto& configuration = model.configurations[c];
        configuration.blocks[0][0] = static_cast<uint8_t>(1 + c);  // FAC digit count
        configuration.blocks[0][1] = 2;                            // ID digit count
        configuration.blocks[1][7] = 0x40;
        const Bytes image = ValidExtendedConfiguration(static_cast<uint8_t>(c)).ToVector();
        std::copy(image.begin(), image.end(), configuration.extended.begin());
    }
    model.blobs[kBlobType] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
    model.bleData[kBleDataType] = BleData(3);
}

// An HWG file of two configurations unlike the sweep reader's, saved by a clean reader.
void SaveHwgFile(const fs::path& path) {
    ReaderOnSimulator source(Wire::FeatureReport);
    {
        auto model = source.sim.Model();
        SetUpSweepReader(*model);
        for (auto& configuration : model->configurations) {
            configuration.blocks[0][0] = 9;
            configuration.blocks[0][3] = 26;    // ID bit count
            configuration.blocks[4][1] = 0x21;  // card type
        }
    }
    source.OpenInitialised();
    source.reader->ReadHwgFileFromReader(path.string(), true);
}

void SaveBleFile(const fs::path& path) {
    ReaderOnSimulator source(Wire::FeatureReport);
    {
        auto model = source.sim.Model();
        SetUpSweepReader(*model);
        model->bleData[kBleDataType] = BleData(40);
    }
    source.OpenInitialised();
    source.reader->ReadBleConfigurationFromReader(TavCommon::BleDataType(kBleDataType), path.string());
}

// A file the host had before the operation wrote its own: it stays whole unless the write succeeds.
constexpr const char* kOldFile = "the host's earlier file\n";

std::vector<Operation> Operations() {
    std::vector<Operation> operations;
    operations.push_back({"Tav_Init", true, nullptr, [](TavResult& result, const Run& run) {
                              Tav_Init(&result, run.handle);
                              auto metadata = std::make_unique<ReaderMetadataStruct>();
                              TavResult read{};
                              Tav_GetMetadataStruct(&read, run.handle, metadata.get(), false);
                              return RecordBytes(*metadata);
                          }});
    operations.push_back({"GetReaderConfiguration", false, nullptr, [](TavResult& result, const Run& run) {
                              TavCommon::ReaderConfiguration configuration{};
                              TavCommon::ExtendedConfiguration extended{};
                              TavReader_GetReaderConfiguration(&result, run.handle, 1, &configuration, &extended);
                              Bytes out = RecordBytes(configuration);
                              const Bytes more = RecordBytes(extended);
                              out.insert(out.end(), more.begin(), more.end());
                              return out;
                          }});
    operations.push_back({"SetReaderConfiguration", false, nullptr, [](TavResult& result, const Run& run) {
                              const TavCommon::ReaderConfiguration configuration = HostConfiguration();
                              const TavCommon::ExtendedConfiguration extended = ValidExtendedConfiguration(9);
                              TavReader_SetReaderConfiguration(&result, run.handle, 1, &configuration, &extended,
                                                               nullptr);
                              return Bytes{};
                          }});
    operations.push_back({"WriteHwgFileToReader", false,
                          [](const fs::path& folder) { SaveHwgFile(folder / "backup.hwg"); },
                          [](TavResult& result, const Run& run) {
                              TavReader_WriteHwgFileToReader(&result, run.handle, (run.folder / "backup.hwg").c_str());
                              return Bytes{};
                          }});
    operations.push_back(
        {"ReadHwgFileFromReader", false, [](const fs::path& folder) { WriteText(folder / "saved.hwg", kOldFile); },
         [](TavResult& result, const Run& run) {
             TavReader_ReadHwgFileFromReader(&result, run.handle, (run.folder / "saved.hwg").c_str(), true);
             return FileBytes(run.folder / "saved.hwg");
         }});
    operations.push_back({"WriteSmartCardConfigurationToReader", false,
                          [](const fs::path& folder) { WriteText(folder / "cards.ini", SmartCardFile()); },
                          [](TavResult& result, const Run& run) {
                              TavReader_WriteSmartCardConfigurationToReader(&result, run.handle,
                                                                            (run.folder / "cards.ini").c_str());
                              return Bytes{};
                          }});
    operations.push_back(
        {"ReadSmartCardConfigurationFromReader", false, nullptr, [](TavResult& result, const Run& run) {
             auto configuration = std::make_unique<TavCommon::SmartCardConfiguration>();
             configuration->Header.BlobType = kBlobType;
             configuration->Header.DataLength = 6;
             TavReader_ReadSmartCardConfigurationFromReader(&result, run.handle, configuration.get());
             return RecordBytes(*configuration);
         }});
    operations.push_back({"ReadBleConfigurationFromReader", false,
                          [](const fs::path& folder) { WriteText(folder / "ble.hwg", kOldFile); },
                          [](TavResult& result, const Run& run) {
                              TavReader_ReadBleConfigurationFromReader(&result, run.handle, kBleDataType,
                                                                       (run.folder / "ble.hwg").c_str());
                              return FileBytes(run.folder / "ble.hwg");
                          }});
    operations.push_back({"WriteBleConfigurationToReader", false,
                          [](const fs::path& folder) { SaveBleFile(folder / "ble.hwg"); },
                          [](TavResult& result, const Run& run) {
                              TavReader_WriteBleConfigurationToReader(&result, run.handle, kBleDataType,
                                                                      (run.folder / "ble.hwg").c_str());
                              return Bytes{};
                          }});
    operations.push_back({"EnableKeystroking", false, nullptr, [](TavResult& result, const Run& run) {
                              TavReader_EnableKeystroking(&result, run.handle, false);
                              return Bytes{};
                          }});
    operations.push_back({"SetLedConfiguration", false, nullptr, [](TavResult& result, const Run& run) {
                              const Tav::LedConfiguration led{3, 1};
                              TavReader_SetLedConfiguration(&result, run.handle, 1, &led);
                              return Bytes{};
                          }});
    return operations;
}

// What one run left behind.
struct Outcome {
    bool succeeded = false;
    std::string message;
    Bytes outputs;
    Bytes untouched;
    std::map<std::string, Bytes> before;
    std::map<std::string, Bytes> after;
    std::size_t phrases = 0;
    std::vector<std::string> folderAfter;
    std::chrono::milliseconds elapsed{0};
    // The same operation again, clean.
    bool retrySucceeded = false;
    std::string retryMessage;
    std::map<std::string, Bytes> afterRetry;
    Bytes retryOutputs;
    int probesFailed = 0;
    bool closed = false;
};

std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct FaultAt {
    std::size_t phrase;
    Fault fault;
};

void CopyFiles(const fs::path& from, const fs::path& to) {
    for (const auto& entry : fs::directory_iterator(from)) {
        fs::copy_file(entry.path(), to / entry.path().filename(), fs::copy_options::overwrite_existing);
    }
}

Outcome RunOnce(Wire wire, const Operation& operation, const fs::path& files, const std::optional<FaultAt>& fault) {
    TavTest::TimeLimit limit(kRunLimit * 3, operation.name.c_str());
    TavTest::TempDir folder;
    CopyFiles(files, folder.Path());
    const std::vector<std::string> folderBefore = Listing(folder.Path());

    ReaderOnSimulator simulated(wire);
    {
        auto model = simulated.sim.Model();
        SetUpSweepReader(*model);
    }
    TavResult result{};
    const TavCommon::ReaderDefinition definition = ReaderOnSimulator::Definition(wire);
    simulated.handle = TavReader_Open(&result, &definition, 0);
    EXPECT_EQ(result.Code, 0) << Message(result);
    if (!operation.isInit) {
        Tav_Init(&result, simulated.handle);
        EXPECT_EQ(result.Code, 0) << Message(result);
    }
    simulated.ClearPhrases();

    Outcome outcome;
    outcome.before = HeldUnits(simulated.sim);
    if (fault) {
        simulated.InjectFault(FaultTrigger::OnPhrase(fault->phrase), fault->fault, 1);
    }
    const Run run{folder.Path(), simulated.handle};
    // What the host holds when the call writes nothing: the same call refused for its null handle.
    outcome.untouched = operation.call(result, Run{folder.Path(), nullptr});
    const auto start = std::chrono::steady_clock::now();
    std::memset(&result, 0x5A, sizeof result);
    outcome.outputs = operation.call(result, run);
    outcome.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    outcome.succeeded = result.Code == 0;
    outcome.message = Message(result);
    outcome.phrases = simulated.Phrases().size();
    outcome.after = HeldUnits(simulated.sim);
    outcome.folderAfter = Listing(folder.Path());
    EXPECT_TRUE(result.Code == 0 || result.Code == 1) << int{result.Code};
    EXPECT_EQ(outcome.folderAfter, folderBefore) << "files appeared or vanished";

    simulated.ClearFaults();
    CopyFiles(files, folder.Path());
    std::memset(&result, 0x5A, sizeof result);
    outcome.retryOutputs = operation.call(result, run);
    outcome.retrySucceeded = result.Code == 0;
    outcome.retryMessage = Message(result);
    outcome.afterRetry = HeldUnits(simulated.sim);
    // A reader operation after it, twice: a device that is gone stays gone.
    for (int probe = 0; probe < 2; ++probe) {
        TavProtocol::LuidResponseInformation luid{};
        TavReader_GetLuid(&result, simulated.handle, &luid);
        outcome.probesFailed += result.Code == 1 && !Message(result).empty() ? 1 : 0;
    }

    Tav_Close(&result, simulated.handle);
    outcome.closed = result.Code == 0;
    simulated.handle = nullptr;
    return outcome;
}

// Names the units whose value is neither `first` nor `second`.
std::vector<std::string> UnitsNeither(const std::map<std::string, Bytes>& held,
                                      const std::map<std::string, Bytes>& first,
                                      const std::map<std::string, Bytes>& second) {
    std::vector<std::string> strays;
    for (const auto& [unit, value] : held) {
        const auto a = first.find(unit);
        const auto b = second.find(unit);
        if ((a == first.end() || a->second != value) && (b == second.end() || b->second != value)) {
            strays.push_back(unit);
        }
    }
    return strays;
}

bool EachByteEqualOrZero(const Bytes& read, const Bytes& clean) {
    if (read.size() != clean.size()) {
        return false;
    }
    for (std::size_t i = 0; i < read.size(); ++i) {
        if (read[i] != clean[i] && read[i] != 0) {
            ADD_FAILURE() << "byte " << i << " is " << int{read[i]} << ", read clean " << int{clean[i]};
            return false;
        }
    }
    return true;
}

// Faults that change what a reply says rather than whether it comes: a corrupt byte, an endless
// reply (on USB HID eight bytes of filler, which a data reply may hold), and on a serial line a short
// reply (how a serial reader sends a shorter text) and a wrong status word (on a reply without one
// it overwrites the last two data bytes).
bool ChangesContent(const Fault& fault, Wire wire) {
    return fault.kind == FaultKind::CorruptByte || fault.kind == FaultKind::EndlessReply ||
           (wire == Wire::SerialBinary &&
            (fault.kind == FaultKind::ShortReply || fault.kind == FaultKind::WrongStatusWord));
}

struct Tally {
    std::size_t runs = 0;
    std::map<std::string, std::size_t> failedByKind;
    std::map<std::string, std::size_t> unharmedByKind;  // succeeded with the clean result
};

class FaultSweep : public testing::TestWithParam<Wire> {};

TEST_P(FaultSweep, EveryPhraseEveryFault) {
    const Wire wire = GetParam();
    // Waits are recorded, not slept: a run costs what its exchanges cost.
    const TavTest::ScopedTimeDelayOverride noWaits;
    Tally tally;
    std::ostringstream sizes;
    for (const Operation& operation : Operations()) {
        TavTest::TempDir files;
        if (operation.setUpFolder) {
            operation.setUpFolder(files.Path());
        }
        const Outcome clean = RunOnce(wire, operation, files.Path(), std::nullopt);
        if (!clean.succeeded) {
            // The protocol does not run this operation: it is refused before any phrase.
            EXPECT_EQ(clean.phrases, 0u) << operation.name << ": " << clean.message;
            sizes << "  " << operation.name << ": not run (" << clean.message << ")\n";
            continue;
        }
        ASSERT_TRUE(clean.retrySucceeded) << operation.name << ": " << clean.retryMessage;
        sizes << "  " << operation.name << ": " << clean.phrases << " phrases\n";

        for (std::size_t phrase = 0; phrase < clean.phrases; ++phrase) {
            for (const FaultCase& kind : FaultKinds()) {
                SCOPED_TRACE(operation.name + ", phrase " + std::to_string(phrase) + ", " + kind.name);
                const Outcome faulted = RunOnce(wire, operation, files.Path(), FaultAt{phrase, kind.fault});
                ++tally.runs;
                EXPECT_LT(faulted.elapsed, kRunLimit);
                const bool content = ChangesContent(kind.fault, wire);
                if (faulted.succeeded) {
                    ++tally.unharmedByKind[kind.name];
                } else {
                    ++tally.failedByKind[kind.name];
                    EXPECT_FALSE(faulted.message.empty());
                }
                if (!faulted.succeeded) {
                    // Outputs, the host's files among them, are written only after success.
                    EXPECT_TRUE(operation.isInit || faulted.outputs == faulted.untouched)
                        << "a failed call wrote into the host's records or files";
                }
                if (content) {
                    // Bytes the reader sent: as far as anyone can tell they are what it holds, and an
                    // operation may store them back. Only the reader's own answers change.
                } else if (faulted.succeeded && operation.isInit) {
                    // Init reads what it can: a field the fault spoilt stays zero and unavailable.
                    EXPECT_TRUE(EachByteEqualOrZero(faulted.outputs, clean.outputs))
                        << "a missing or late reply was taken for metadata";
                } else if (faulted.succeeded) {
                    EXPECT_EQ(UnitsNeither(faulted.after, clean.after, clean.after), std::vector<std::string>{})
                        << "a fault the operation did not notice changed the reader";
                    EXPECT_TRUE(faulted.outputs == clean.outputs) << "a missing or late reply was taken for data";
                } else {
                    EXPECT_EQ(UnitsNeither(faulted.after, faulted.before, clean.after), std::vector<std::string>{})
                        << "the reader holds values nobody sent";
                }
                if (kind.fault.kind == FaultKind::DeviceGone) {
                    // Init reads what it can and succeeds; every operation after it fails.
                    EXPECT_TRUE(operation.isInit || !faulted.retrySucceeded) << "a reader that is gone answered";
                    EXPECT_TRUE(faulted.retrySucceeded || !faulted.retryMessage.empty());
                    EXPECT_EQ(faulted.probesFailed, 2);
                } else {
                    EXPECT_EQ(faulted.probesFailed, clean.probesFailed);
                    EXPECT_TRUE(faulted.retrySucceeded) << faulted.retryMessage;
                    if (!content) {
                        EXPECT_EQ(UnitsNeither(faulted.afterRetry, clean.afterRetry, clean.afterRetry),
                                  std::vector<std::string>{})
                            << "the clean retry left the reader elsewhere";
                        EXPECT_TRUE(faulted.retryOutputs == clean.retryOutputs);
                    }
                }
                EXPECT_TRUE(faulted.closed);
                if (testing::Test::HasFailure()) {
                    return;
                }
            }
        }
    }
    std::ostringstream summary;
    summary << TavTest::WireParamName(wire) << ": " << tally.runs << " faulted runs\n" << sizes.str();
    for (const FaultCase& kind : FaultKinds()) {
        summary << "  " << kind.name << ": " << tally.failedByKind[kind.name] << " failed, "
                << tally.unharmedByKind[kind.name] << " unharmed\n";
    }
    std::printf("%s", summary.str().c_str());
}

INSTANTIATE_TEST_SUITE_P(Wires, FaultSweep, testing::Values(Wire::FeatureReport, Wire::Mfp24, Wire::SerialBinary),
                         [](const testing::TestParamInfo<Wire>& info) { return TavTest::WireParamName(info.param); });

}  // namespace
