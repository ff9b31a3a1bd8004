// A host of the classes in namespace Tav, built against an installed tree alone, with the simulated
// serial reader on a pseudo-terminal: open, init, metadata, cards by callback, a capability rule of
// its own, each kind of failure caught by the type the README names for it, discovery and close.
//
//   classes_host <serial_reader_sim program>
#include <Tavelin.h>

#include <chrono>
#include <functional>
#include <memory>
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

void InvalidDefinitionIsRefused() {
    TavCommon::ReaderDefinition definition{};
    definition.ProtocolType = 7;
    try {
        Tav::AbstractReader::CreateReaderInstance(definition, 0);
        HostCheck::Fail(__FILE__, __LINE__, "a reader of protocol type 7 was opened");
    } catch (const Tav::ReaderException& error) {
        CHECK(error.Message() == "Unable to initialize an underlying protocol object given invalid type Unknown");
    }
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
    try {
        reader.Beep(1, TavProtocol::BEEP_DURATION::Short);
        HostCheck::Fail(__FILE__, __LINE__, "the reader beeped without a beeper");
    } catch (const Tav::ReaderException& error) {
        CHECK(error.Message() ==
              "Operation 'Beep' requires capabilities that this reader does not support: READER_CAPABILITY_BEEPER");
    }
}

// The files and the values a host hands in fail with ElvarinException, not as a reader's failure.
void FileAndValueFailures(Tav::Reader& reader) {
    TavCommon::ReaderConfiguration outOfRange{};
    outOfRange.FacDigitCount = 27;
    const struct {
        std::function<void()> call;
        std::string message;
    } failures[] = {
        {[&] { reader.WriteHwgFileToReader("/nonexistent.hwg"); }, "Failed to open HWG file: /nonexistent.hwg"},
        {[&] { reader.ReadHwgFileFromReader("/nonexistent/backup.hwg", true); },
         "Failed to open HWG file for writing: /nonexistent/backup.hwg"},
        {[&] { reader.WriteSmartCardConfigurationToReader("/nonexistent.ini"); },
         "Failed to open SmartCard Ini file: /nonexistent.ini"},
        {[&] { reader.SetReaderConfiguration(0, outOfRange, {}, {}); },
         "ReaderConfigurationStruct::FacDigitCount setting must be between 0 and 26 inclusive"},
    };
    for (const auto& failure : failures) {
        try {
            failure.call();
            HostCheck::Fail(__FILE__, __LINE__, "no failure: " + failure.message);
        } catch (const Tav::ReaderException& error) {
            HostCheck::Fail(__FILE__, __LINE__, "a reader's failure: " + error.Message());
        } catch (const ElvarinException& error) {
            if (!error.Message().starts_with(failure.message)) {
                HostCheck::Fail(__FILE__, __LINE__, "unexpected message: " + error.Message());
            }
        }
    }
}

// A closed reader throws std::runtime_error, outside the library's family.
void InitAfterClose(Tav::Reader& reader) {
    reader.Close();
    try {
        reader.Init();
        HostCheck::Fail(__FILE__, __LINE__, "a closed reader initialised");
    } catch (const ElvarinException& error) {
        HostCheck::Fail(__FILE__, __LINE__, "the library's own failure: " + error.Message());
    } catch (const std::runtime_error& error) {
        CHECK(std::string(error.what()) == "AbstractReader instance has invalid protocol facade");
    }
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
    {
        const auto reader = std::dynamic_pointer_cast<Tav::Reader>(Tav::AbstractReader::GetInstance(handle));
        if (!CHECK(reader != nullptr)) {
            Tav::AbstractReader::DestroyInstance(handle);
            return;
        }
        reader->Init();
        metadata = reader->GetMetadataStruct(false);
        Metadata(metadata);
        CardsByCallback(*reader, simulator);
        OwnCapabilityRule(*reader, metadata);
        FileAndValueFailures(*reader);
        InitAfterClose(*reader);
    }
    Discovery();
    Tav::AbstractReader::DestroyInstance(handle);
    CHECK(Tav::AbstractReader::GetInstance(handle) == nullptr);
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
    }
    return HostCheck::Finish("classes_host");
}
