// A host of the classes in namespace Tav, built against an installed tree alone, with the simulated
// serial reader on a pseudo-terminal: open, init, metadata, cards by callback, a capability rule of
// its own, each failure the README names caught by the type it names, with its message and its
// record, discovery and close.
//
//   classes_host <serial_reader_sim program>
#include <Tavelin.h>

#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

// The end-to-end hosts' checks and simulator process: standard and POSIX only.
#include "../../e2e/HostCheck.h"

namespace {

using Tav::ReaderCapability;

// A host's own say on the beeper: there is none, whatever the reader reports.
class NoBeeperRule : public Tav::CapabilityRule {
public:
    using CapabilityRule::CapabilityRule;
    bool Evaluate() const override { return false; }
};

// The README's three types, narrowest first: what a host that catches them in that order gets.
enum class Type { ReaderException, ElvarinException, RuntimeError };
static_assert(std::is_base_of_v<ElvarinException, Tav::ReaderException> &&
                  std::is_base_of_v<std::runtime_error, ElvarinException>,
              "ElvarinException catches the library's own family, std::runtime_error every one");

const char* Name(Type type) {
    switch (type) {
    case Type::ReaderException:
        return "Tav::ReaderException";
    case Type::ElvarinException:
        return "ElvarinException";
    case Type::RuntimeError:
        return "std::runtime_error";
    }
    return "?";
}

// A failure as the host sees it: its type, its message (expected whole, or only its start where
// the rest is not the library's) and, for a Tav::ReaderException with the failed protocol record
// inside, that record's message.
struct Thrown {
    std::optional<Type> type;
    std::string message;
    std::optional<std::string> record;
    bool messageStartOnly = false;
};

bool Matches(const Thrown& thrown, const Thrown& expected) {
    return thrown.type == expected.type && thrown.record == expected.record &&
           (expected.messageStartOnly ? thrown.message.starts_with(expected.message)
                                      : thrown.message == expected.message);
}

std::string Describe(const Thrown& thrown) {
    if (!thrown.type) {
        return "nothing thrown";
    }
    return std::string(Name(*thrown.type)) + " '" + thrown.message + (thrown.messageStartOnly ? "…'" : "'") +
           (thrown.record ? " with a record '" + *thrown.record + "'" : " without a record");
}

struct Failure {
    std::string what;
    std::function<void()> call;
    Thrown expected;
};

Thrown Catch(const std::function<void()>& call) {
    Thrown thrown;
    try {
        call();
    } catch (const Tav::ReaderException& error) {
        thrown = {Type::ReaderException, error.Message(), std::nullopt};
        if (error.HasInnerException()) {
            thrown.record = error.InnerMessage();
        }
    } catch (const ElvarinException& error) {
        thrown = {Type::ElvarinException, error.Message(), std::nullopt};
    } catch (const std::runtime_error& error) {
        thrown = {Type::RuntimeError, error.what(), std::nullopt};
    }
    return thrown;
}

void ExpectFailures(const std::vector<Failure>& failures) {
    for (const Failure& failure : failures) {
        const Thrown thrown = Catch(failure.call);
        if (!Matches(thrown, failure.expected)) {
            HostCheck::Fail(__FILE__, __LINE__,
                            failure.what + ": " + Describe(thrown) + ", expected " +
                                Describe(failure.expected));
        }
    }
}

// The failures of the README's three types, the first with the failed protocol record inside.
Thrown Failed(const std::string& operation, const std::string& record) {
    return {Type::ReaderException, "Operation '" + operation + "' failed [Protocol Exception: " + record + "]", record};
}
Thrown Refused(const std::string& message) { return {Type::ReaderException, message, std::nullopt}; }
Thrown RefusedStartingWith(const std::string& start) { return {Type::ReaderException, start, std::nullopt, true}; }
Thrown Elvarin(const std::string& message) { return {Type::ElvarinException, message, std::nullopt}; }
Thrown Runtime(const std::string& message) { return {Type::RuntimeError, message, std::nullopt}; }

const std::string kNoProfile = "Reader capability profile not initialized. Call Init() first.";

// A folder of its own for the files the host makes, removed with it.
class Folder {
public:
    Folder() {
        std::string name = (std::filesystem::temp_directory_path() / "classes_host.XXXXXX").string();
        if (::mkdtemp(name.data()) != nullptr) {
            path_ = name;
        }
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    std::string File(const std::string& name, const std::string& content) const {
        std::ofstream(path_ / name) << content;
        return Path(name);
    }
    std::string Subfolder(const std::string& name) const {
        std::filesystem::create_directory(path_ / name);
        return Path(name);
    }
    std::string Path(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// An open that fails gives the failed record's message, not the record.
void OpenFailures() {
    TavCommon::ReaderDefinition unknown{};
    unknown.ProtocolType = 7;
    const TavCommon::ReaderDefinition missing = HostCheck::SerialDefinition("/nonexistent/tty");
    ExpectFailures({
        {"an open of protocol type 7", [&] { Tav::AbstractReader::CreateReaderInstance(unknown, 0); },
         Refused("Unable to initialize an underlying protocol object given invalid type Unknown")},
        // The rest names the serial port code's source file.
        {"an open of a port that does not exist", [&] { Tav::AbstractReader::CreateReaderInstance(missing, 0); },
         RefusedStartingWith("Failed to create protocol instance: ")},
    });
}

void Metadata(const ReaderMetadataStruct& metadata) {
    CHECK(metadata.PartNumberAvailable == 1 && std::string(metadata.PartNumber) == "TAV-SIM-0001");
    CHECK(metadata.EsnAvailable == 1 && std::string(metadata.Esn) == "ESN0000000000001");
    CHECK(metadata.ProtocolType == 3);
}

void CardsByCallback(Tav::Reader& reader, HostCheck::Simulator& simulator) {
    HostCheck::CardLog cards;
    const unsigned int subscription =
        reader.OnCredentialPresented([&cards](Tav::CardData& card) { cards.Add(card.AsByteArray(), card.bitCount); },
                                     TavProtocol::GetCardDataSizeParameters::Long);
    CHECK(subscription != 0);
    CHECK(simulator.Command("present 34 0123456789"));
    CHECK(cards.WaitFor(1));
    // The card stays on the reader for several polls before the next one replaces it.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    CHECK(simulator.Command("present 26 025A3C40"));
    CHECK(cards.WaitFor(2));
    CHECK(cards.Cards() ==
          (std::vector<std::vector<uint8_t>>{{0x01, 0x23, 0x45, 0x67, 0x89}, {0x02, 0x5A, 0x3C, 0x40}}));
    reader.UnsubscribeCredentialCallback(subscription);
    CHECK(simulator.Command("remove"));
}

void OwnCapabilityRule(Tav::Reader& reader, const ReaderMetadataStruct& metadata) {
    CHECK(Tav::ReaderCapabilityToString(ReaderCapability::READER_CAPABILITY_BEEPER) == "READER_CAPABILITY_BEEPER");
    Tav::ReaderCapabilitySet beeper;
    beeper.WithRequiredCapability(ReaderCapability::READER_CAPABILITY_BEEPER);
    const std::shared_ptr<Tav::ReaderCapabilityProfile> profile = reader.GetReaderCapabilityProfile();
    CHECK(profile->IsCapableOf(beeper));
    profile->RegisterRule(ReaderCapability::READER_CAPABILITY_BEEPER, std::make_unique<NoBeeperRule>(metadata));
    CHECK(!profile->IsCapableOf(beeper));
    // The reader's own operations ask the same profile. No built-in rule grants the card analyzer.
    const auto analyzeCard = [&] { reader.AnalyzeCard(nullptr); };
    ExpectFailures({
        {"Beep without a beeper", [&] { reader.Beep(1, TavProtocol::BEEP_DURATION::Short); },
         Refused("Operation 'Beep' requires capabilities that this reader does not support: READER_CAPABILITY_BEEPER")},
        {"AnalyzeCard", analyzeCard,
         Refused("Operation 'AnalyzeCard' requires capabilities that this reader does not support: "
                 "READER_CAPABILITY_CARD_ANALYZER")},
    });
    profile->RegisterRule(ReaderCapability::READER_CAPABILITY_CARD_ANALYZER,
                          std::make_unique<Tav::CapabilityRule>(metadata));
    ExpectFailures({
        {"AnalyzeCard with a rule that grants the card analyzer", analyzeCard,
         Refused("This function is not yet implemented.")},
        {"ConfigureBaudRate", [&] { reader.ConfigureBaudRate(TavCommon::SerialPortBaudRate{}); },
         Refused("This function is not yet implemented.")},
    });
}

// Before Init the reader has no capability profile, as after Close. File names, the files of
// WriteHwgFileToReader and WriteBleConfigurationToReader and a configuration's values are checked
// before it, so their failures are the same on an initialised reader.
void OperationsBeforeInit(Tav::Reader& reader) {
    TavCommon::ReaderConfiguration outOfRange{};
    outOfRange.FacDigitCount = 27;
    ExpectFailures({
        {"Beep before Init", [&] { reader.Beep(1, TavProtocol::BEEP_DURATION::Short); }, Refused(kNoProfile)},
        {"GetReaderCapabilityProfile before Init", [&] { reader.GetReaderCapabilityProfile(); }, Refused(kNoProfile)},
        {"an HWG file without its extension", [&] { reader.WriteHwgFileToReader("/nonexistent"); },
         Refused("File '/nonexistent' is not a valid HWG file.")},
        {"a missing HWG file", [&] { reader.WriteHwgFileToReader("/nonexistent.hwg"); },
         Elvarin("Failed to open HWG file: /nonexistent.hwg")},
        {"a BLE file that cannot be read",
         [&] { reader.WriteBleConfigurationToReader(TavCommon::BleDataType::Data, "/nonexistent.hwg"); },
         Refused("Failed to read BLE configuration file: Failed to open BLE HWG file: /nonexistent.hwg")},
        {"a value out of its range", [&] { reader.SetReaderConfiguration(0, outOfRange, {}, {}); },
         Elvarin("ReaderConfigurationStruct::FacDigitCount setting must be between 0 and 26 inclusive")},
        {"a smart-card file without its extension", [&] { reader.WriteSmartCardConfigurationToReader("/nonexistent"); },
         Refused("File '/nonexistent' is not a valid INI file.")},
        // Read only once the profile lets the reader write one.
        {"a missing smart-card file before Init", [&] { reader.WriteSmartCardConfigurationToReader("/nonexistent.ini"); },
         Refused(kNoProfile)},
    });
}

void OperationFailures(Tav::Reader& reader, HostCheck::Simulator& simulator) {
    const Folder folder;
    const std::string folderHwg = folder.Subfolder("folder.hwg");
    const std::string malformedHwg = folder.File("malformed.hwg", "not an HWG file\n");
    const std::string malformedIni = folder.File("malformed.ini", "[Blob1]\nhdr=4 0 1 0\ndata=01\n");
    std::vector<TavCommon::CardType> cardTypes;
    const std::string serialHasNoBlobs = "This command is not yet supported with the Serial Binary Protocol";
    ExpectFailures({
        {"a configuration the reader does not have",
         [&] {
             Tav::LedConfiguration led{};
             reader.GetLedConfiguration(9, led);
         },
         Failed("GetLedConfiguration", "Configuration number must be between 0 and 3.")},
        // A serial reader reads no blob: refused before any exchange, whatever the header.
        {"a blob header longer than a blob",
         [&] {
             TavCommon::SmartCardConfiguration configuration{};
             configuration.Header.BlobType = 4;
             configuration.Header.DataLength = 1017;
             reader.ReadSmartCardConfigurationFromReader(configuration);
         },
         Failed("ReadSmartCardConfigurationFromReader", serialHasNoBlobs)},
        {"a folder as HWG file", [&] { reader.WriteHwgFileToReader("/"); }, Refused("File '/' is not a valid HWG file.")},
        {"a hidden HWG file without a stem", [&] { reader.WriteHwgFileToReader("/nonexistent/.hwg"); },
         Refused("File '/nonexistent/.hwg' is not a valid HWG file.")},
        {"a hidden smart-card file without a stem",
         [&] { reader.WriteSmartCardConfigurationToReader("/nonexistent/.ini"); },
         Refused("File '/nonexistent/.ini' is not a valid INI file.")},
        {"an HWG file that is a folder", [&] { reader.WriteHwgFileToReader(folderHwg); },
         Elvarin("Failed to open HWG file: " + folderHwg + " (not a regular file)")},
        {"a malformed HWG file", [&] { reader.WriteHwgFileToReader(malformedHwg); },
         Elvarin("Invalid HWG file header: " + malformedHwg)},
        {"an HWG file into a missing folder", [&] { reader.ReadHwgFileFromReader("/nonexistent/backup.hwg", true); },
         Elvarin("Failed to open HWG file for writing: /nonexistent/backup.hwg (No such file or directory)")},
        {"a missing smart-card file", [&] { reader.WriteSmartCardConfigurationToReader("/nonexistent.ini"); },
         Elvarin("Failed to open SmartCard Ini file: /nonexistent.ini")},
        {"a malformed smart-card file", [&] { reader.WriteSmartCardConfigurationToReader(malformedIni); },
         Elvarin("Failed to read iEndOfIniFile from Ini file")},
        {"a card type the library does not know",
         [&] {
             CHECK(simulator.Command("card-types 0206 7FF7"));
             reader.GetSupportedCardTypes(cardTypes);
         },
         Elvarin("Reader provided a card type '0x7FF7' that is not currently tracked. It may not exist, or it may "
                 "be very new.")},
        {"a configuration record without room for the reader's characters",
         [&] {
             TavCommon::ReaderConfiguration full{};
             full.AddCardGoneCharacter('a').AddCardGoneCharacter('b');
             TavCommon::ExtendedConfiguration extended{};
             reader.GetReaderConfiguration(0, full, extended);
         },
         Elvarin("Cannot add more than 2 Card Gone Characters")},
    });
    CHECK(simulator.Command("card-types 0206 6F06"));
}

// A reader after Close, or one the host still holds once DestroyInstance has begun on it: what
// reads or subscribes throws std::runtime_error, outside the library's family; an operation finds
// no capability profile.
void ClosedReaderFailures(Tav::Reader& reader, const std::string& after, const std::string& message) {
    const Thrown closed = Runtime(message);
    ExpectFailures({
        {"Init after " + after, [&] { reader.Init(); }, closed},
        {"RefreshMetadata after " + after, [&] { reader.RefreshMetadata(); }, closed},
        {"GetMetadataStruct after " + after, [&] { reader.GetMetadataStruct(false); }, closed},
        {"OnCredentialPresented after " + after,
         [&] { reader.OnCredentialPresented([](Tav::CardData&) {}, TavProtocol::GetCardDataSizeParameters::Long); },
         closed},
        {"Beep after " + after, [&] { reader.Beep(1, TavProtocol::BEEP_DURATION::Short); }, Refused(kNoProfile)},
        {"GetReaderCapabilityProfile after " + after, [&] { reader.GetReaderCapabilityProfile(); },
         Refused(kNoProfile)},
    });
}

void Discovery() {
    // Whatever is attached to this machine: every reader found is a USB one.
    for (const TavCommon::ReaderDefinition& definition : Tav::ReaderDiscovery::DiscoverUsbReaders()) {
        CHECK(definition.ProtocolType == 1 || definition.ProtocolType == 2);
    }
}

void Session(HostCheck::Simulator& simulator, const std::string& port) {
    OpenFailures();
    void* const handle = Tav::AbstractReader::CreateReaderInstance(HostCheck::SerialDefinition(port), 0);
    CHECK(handle != nullptr);
    // Outlives the reader, since the host's rule refers to it.
    ReaderMetadataStruct metadata{};
    const auto reader = std::dynamic_pointer_cast<Tav::Reader>(Tav::AbstractReader::GetInstance(handle));
    if (!CHECK(reader != nullptr)) {
        Tav::AbstractReader::DestroyInstance(handle);
        return;
    }
    OperationsBeforeInit(*reader);
    reader->Init();
    metadata = reader->GetMetadataStruct(false);
    Metadata(metadata);
    CardsByCallback(*reader, simulator);
    OwnCapabilityRule(*reader, metadata);
    OperationFailures(*reader, simulator);
    reader->Close();
    ClosedReaderFailures(*reader, "Close", "AbstractReader instance has invalid protocol facade");
    Discovery();
    Tav::AbstractReader::DestroyInstance(handle);
    CHECK(Tav::AbstractReader::GetInstance(handle) == nullptr);
    ClosedReaderFailures(*reader, "DestroyInstance", "AbstractReader instance is being destroyed");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <serial_reader_sim>\n", argv[0]);
        return 2;
    }
    HostCheck::Simulator simulator(argv[1], {});
    const std::string port = simulator.ReadLine();
    if (CHECK(!port.empty())) {
        try {
            Session(simulator, port);
        } catch (const std::exception& error) {
            HostCheck::Fail(__FILE__, __LINE__, std::string("unexpected exception: ") + error.what());
        }
        HostCheck::ReportLateAnswers(simulator, "classes_host");
    }
    return HostCheck::Finish("classes_host");
}
