// A host of the classes in namespace Tav, built against an installed tree alone, with the simulated
// serial reader on a pseudo-terminal: open, init, metadata, cards by callback, a capability rule of
// its own, each failure the README names caught by the type it names, discovery and close.
//
//   classes_host <serial_reader_sim program>
#include <Tavelin.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
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

struct Failure {
    const char* what;
    std::function<void()> call;
    Type type;
    std::string message;  // its start
    bool record = false;  // a Tav::ReaderException with the failed protocol record inside
};

void ExpectFailures(const std::vector<Failure>& failures) {
    for (const Failure& failure : failures) {
        std::optional<Type> type;
        std::string message;
        bool record = false;
        try {
            failure.call();
        } catch (const Tav::ReaderException& error) {
            type = Type::ReaderException;
            message = error.Message();
            record = error.HasInnerException();
        } catch (const ElvarinException& error) {
            type = Type::ElvarinException;
            message = error.Message();
        } catch (const std::runtime_error& error) {
            type = Type::RuntimeError;
            message = error.what();
        }
        if (type != failure.type || !message.starts_with(failure.message) || record != failure.record) {
            HostCheck::Fail(
                __FILE__, __LINE__,
                std::string(failure.what) + ": " +
                    (type ? std::string(Name(*type)) + " '" + message + "'" + (record ? " with a record" : "")
                          : "nothing thrown"));
        }
    }
}

// An open that fails gives the failed record's message, not the record.
void InvalidDefinitionIsRefused() {
    TavCommon::ReaderDefinition definition{};
    definition.ProtocolType = 7;
    ExpectFailures(
        {{"an open of protocol type 7", [&] { Tav::AbstractReader::CreateReaderInstance(definition, 0); },
          Type::ReaderException, "Unable to initialize an underlying protocol object given invalid type Unknown"}});
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
    // The reader's own operations ask the same profile.
    ExpectFailures(
        {{"Beep without a beeper", [&] { reader.Beep(1, TavProtocol::BEEP_DURATION::Short); }, Type::ReaderException,
          "Operation 'Beep' requires capabilities that this reader does not support: READER_CAPABILITY_BEEPER"}});
}

// Before Init the reader has no capability profile, as after Close.
void OperationBeforeInit(Tav::Reader& reader) {
    ExpectFailures({{"Beep before Init", [&] { reader.Beep(1, TavProtocol::BEEP_DURATION::Short); },
                     Type::ReaderException, "Reader capability profile not initialized. Call Init() first."}});
}

void OperationFailures(Tav::Reader& reader, HostCheck::Simulator& simulator) {
    TavCommon::ReaderConfiguration outOfRange{};
    outOfRange.FacDigitCount = 27;
    std::vector<TavCommon::CardType> cardTypes;
    ExpectFailures({
        {"a configuration the reader does not have",
         [&] {
             Tav::LedConfiguration led{};
             reader.GetLedConfiguration(9, led);
         },
         Type::ReaderException, "Operation 'GetLedConfiguration' failed [Protocol Exception: ", true},
        // File names are checked before anything is opened.
        {"an HWG file without its extension", [&] { reader.WriteHwgFileToReader("/nonexistent"); },
         Type::ReaderException, "File '/nonexistent' is not a valid HWG file."},
        {"a folder as HWG file", [&] { reader.WriteHwgFileToReader("/"); }, Type::ReaderException,
         "File '/' is not a valid HWG file."},
        {"a smart-card file without its extension", [&] { reader.WriteSmartCardConfigurationToReader("/nonexistent"); },
         Type::ReaderException, "File '/nonexistent' is not a valid INI file."},
        {"a BLE file that cannot be read",
         [&] { reader.WriteBleConfigurationToReader(TavCommon::BleDataType::Data, "/nonexistent.hwg"); },
         Type::ReaderException, "Failed to read BLE configuration file: Failed to open BLE HWG file: /nonexistent.hwg"},
        {"a missing HWG file", [&] { reader.WriteHwgFileToReader("/nonexistent.hwg"); }, Type::ElvarinException,
         "Failed to open HWG file: /nonexistent.hwg"},
        {"an HWG file into a missing folder", [&] { reader.ReadHwgFileFromReader("/nonexistent/backup.hwg", true); },
         Type::ElvarinException,
         "Failed to open HWG file for writing: /nonexistent/backup.hwg (No such file or directory)"},
        {"a missing smart-card file", [&] { reader.WriteSmartCardConfigurationToReader("/nonexistent.ini"); },
         Type::ElvarinException, "Failed to open SmartCard Ini file: /nonexistent.ini"},
        {"a value out of its range", [&] { reader.SetReaderConfiguration(0, outOfRange, {}, {}); },
         Type::ElvarinException, "ReaderConfigurationStruct::FacDigitCount setting must be between 0 and 26 inclusive"},
        {"a card type the library does not know",
         [&] {
             CHECK(simulator.Command("card-types 0206 7FF7"));
             reader.GetSupportedCardTypes(cardTypes);
         },
         Type::ElvarinException, "Reader provided a card type '0x7FF7' that is not currently tracked."},
    });
    CHECK(simulator.Command("card-types 0206 6F06"));
}

// A closed reader: what reads or subscribes throws std::runtime_error, outside the library's
// family; an operation finds no capability profile.
void AfterClose(Tav::Reader& reader) {
    reader.Close();
    const std::string closed = "AbstractReader instance has invalid protocol facade";
    const std::string noProfile = "Reader capability profile not initialized. Call Init() first.";
    ExpectFailures({
        {"Init after Close", [&] { reader.Init(); }, Type::RuntimeError, closed},
        {"RefreshMetadata after Close", [&] { reader.RefreshMetadata(); }, Type::RuntimeError, closed},
        {"GetMetadataStruct after Close", [&] { reader.GetMetadataStruct(false); }, Type::RuntimeError, closed},
        {"OnCredentialPresented after Close",
         [&] { reader.OnCredentialPresented([](Tav::CardData&) {}, TavProtocol::GetCardDataSizeParameters::Long); },
         Type::RuntimeError, closed},
        {"Beep after Close", [&] { reader.Beep(1, TavProtocol::BEEP_DURATION::Short); }, Type::ReaderException,
         noProfile},
        {"GetReaderCapabilityProfile after Close", [&] { reader.GetReaderCapabilityProfile(); }, Type::ReaderException,
         noProfile},
    });
}

// A reader the host still holds once DestroyInstance has begun on it.
void AfterDestroy(Tav::Reader& reader) {
    ExpectFailures({
        {"Init after DestroyInstance", [&] { reader.Init(); }, Type::RuntimeError,
         "AbstractReader instance is being destroyed"},
        {"Beep after DestroyInstance", [&] { reader.Beep(1, TavProtocol::BEEP_DURATION::Short); },
         Type::ReaderException, "Reader capability profile not initialized. Call Init() first."},
    });
}

void Discovery() {
    // Whatever is attached to this machine: every reader found is a USB one.
    for (const TavCommon::ReaderDefinition& definition : Tav::ReaderDiscovery::DiscoverUsbReaders()) {
        CHECK(definition.ProtocolType == 1 || definition.ProtocolType == 2);
    }
}

void Session(HostCheck::Simulator& simulator, const std::string& port) {
    InvalidDefinitionIsRefused();
    void* const handle = Tav::AbstractReader::CreateReaderInstance(HostCheck::SerialDefinition(port), 0);
    CHECK(handle != nullptr);
    // Outlives the reader, since the host's rule refers to it.
    ReaderMetadataStruct metadata{};
    const auto reader = std::dynamic_pointer_cast<Tav::Reader>(Tav::AbstractReader::GetInstance(handle));
    if (!CHECK(reader != nullptr)) {
        Tav::AbstractReader::DestroyInstance(handle);
        return;
    }
    OperationBeforeInit(*reader);
    reader->Init();
    metadata = reader->GetMetadataStruct(false);
    Metadata(metadata);
    CardsByCallback(*reader, simulator);
    OwnCapabilityRule(*reader, metadata);
    OperationFailures(*reader, simulator);
    AfterClose(*reader);
    Discovery();
    Tav::AbstractReader::DestroyInstance(handle);
    CHECK(Tav::AbstractReader::GetInstance(handle) == nullptr);
    AfterDestroy(*reader);
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
