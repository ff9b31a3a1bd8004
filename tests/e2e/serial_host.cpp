// A host of the flat interface against the simulated serial reader on a pseudo-terminal: open,
// init, metadata, a card by polling and by callback, configurations, an HWG backup and restore.
//
//   serial_host <serial_reader_sim program> <work folder> [simulator option...]
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "HostCheck.h"

namespace {

using HostCheck::Simulator;

HostCheck::CardLog cards;

void OnCard(const uint8_t* data, uint32_t bitCount) { cards.Add(data, bitCount); }

// Runs one step of the host; false when it failed. On a loaded machine the simulator's thread may
// be held up past the library's receive window, which then rightly takes the reader for a silent
// one: a step that failed while the simulator wrote a reply the host had stopped waiting for (its
// "late" count) runs again, its failed checks dropped. A step that failed with the simulator on
// time fails. Each run is announced on standard error, numbered from the first step, so that a test
// sees which steps ran and how often.
bool RunStep(Simulator& simulator, int number, const char* name, const std::function<void()>& step) {
    constexpr int kRuns = 3;
    for (int attempt = 1;; ++attempt) {
        const int failuresBefore = HostCheck::failures;
        const std::string lateBefore = simulator.Ask("late");
        std::fprintf(stderr, "serial_host: step %d (%s), run %d\n", number, name, attempt);
        step();
        if (HostCheck::failures == failuresBefore) {
            return true;
        }
        if (simulator.Ask("late") == lateBefore) {
            std::fprintf(stderr, "serial_host: %s failed with the simulator on time\n", name);
            return false;
        }
        if (attempt == kRuns) {
            std::fprintf(stderr, "serial_host: %s failed in each of its %d runs, the simulator late in each\n", name,
                         kRuns);
            return false;
        }
        std::fprintf(stderr, "serial_host: the simulator answered late during %s: the step runs again\n", name);
        HostCheck::failures = failuresBefore;
    }
}

void Metadata(void* reader) {
    TavResult result;
    auto metadata = std::make_unique<ReaderMetadataStruct>();
    Tav_GetMetadataStruct(&result, reader, metadata.get(), false);
    CHECK_OK(result);
    CHECK(metadata->PartNumberAvailable == 1 && std::string(metadata->PartNumber) == "TAV-SIM-0001");
    CHECK(metadata->EsnAvailable == 1 && std::string(metadata->Esn).starts_with("ESN"));
    CHECK(metadata->ConfigurationCountAvailable == 1 && metadata->ConfigurationCount == 4);
    CHECK(metadata->ProtocolType == 3);
}

void CardByPolling(void* reader, Simulator& simulator) {
    TavResult result;
    uint8_t buffer[40];
    uint32_t bitCount = 99;
    TavReader_GetCardData(&result, reader, buffer, sizeof buffer, &bitCount, 2);
    CHECK_OK(result);
    CHECK(bitCount == 0);

    CHECK(simulator.Command("present 26 025A3C40"));
    // A buffer one byte short of the 32 a read fills is refused before the card is read.
    std::memset(buffer, 0xEE, sizeof buffer);
    TavReader_GetCardData(&result, reader, buffer, 31, &bitCount, 2);
    CHECK(result.Code == 1 && result.Line == 315 &&
          std::string(result.Message) == "cardDataOut buffer too small. Required size: 32, provided size: 31.");
    CHECK(buffer[0] == 0xEE && bitCount == 0);

    TavReader_GetCardData(&result, reader, buffer, sizeof buffer, &bitCount, 2);
    CHECK_OK(result);
    CHECK(bitCount == 26);
    CHECK(buffer[0] == 0x02 && buffer[1] == 0x5A && buffer[2] == 0x3C && buffer[3] == 0x40 && buffer[39] == 0);
    CHECK(simulator.Command("remove"));
}

void CardByCallback(void* reader, Simulator& simulator) {
    TavResult result;
    const uint32_t subscription = TavReader_OnCredentialPresented(&result, reader, OnCard, 2);
    CHECK_OK(result);
    CHECK(subscription != 0);
    CHECK(simulator.Command("present 34 0123456789"));
    if (CHECK(cards.WaitFor(1))) {
        CHECK(cards.Cards().front() == (std::vector<uint8_t>{0x01, 0x23, 0x45, 0x67, 0x89}));
    }
    TavReader_UnsubscribeCredentialCallback(&result, reader, subscription);
    CHECK_OK(result);
    CHECK(simulator.Command("remove"));
}

void Configurations(void* reader) {
    TavResult result;
    TavCommon::ReaderConfiguration configuration{};
    auto extended = std::make_unique<TavCommon::ExtendedConfiguration>();
    TavReader_GetReaderConfiguration(&result, reader, 1, &configuration, extended.get());
    CHECK_OK(result);

    configuration.FacDigitCount = 5;
    configuration.IdDigitCount = 8;
    configuration.DataHoldTimeMs = 12750;
    configuration.TotalStripLeadingParityCount = 142;
    configuration.DisableKeystroking = 1;
    TavReader_SetReaderConfiguration(&result, reader, 1, &configuration, extended.get(), nullptr);
    CHECK_OK(result);

    TavCommon::ReaderConfiguration readBack{};
    TavReader_GetReaderConfiguration(&result, reader, 1, &readBack, extended.get());
    CHECK_OK(result);
    CHECK(readBack.FacDigitCount == 5 && readBack.IdDigitCount == 8);
    CHECK(readBack.DataHoldTimeMs == 12750 && readBack.TotalStripLeadingParityCount == 142);

    // A value its field cannot hold is refused, and nothing is written.
    TavCommon::ReaderConfiguration bad = readBack;
    bad.FacDigitCount = 27;
    TavReader_SetReaderConfiguration(&result, reader, 1, &bad, extended.get(), nullptr);
    CHECK(result.Code == 1 &&
          std::string(result.Message) == "ReaderConfigurationStruct::FacDigitCount setting must be between 0 and 26 inclusive");
}

// The settings the reader stores in its configurations, and the stored defaults.
void Settings(void* reader) {
    TavResult result;
    TavReader_EnableKeystroking(&result, reader, true);
    CHECK_OK(result);
    const Tav::LedConfiguration red{2, 1};
    TavReader_SetLedConfiguration(&result, reader, 1, &red);
    CHECK_OK(result);
    Tav::LedConfiguration led{};
    TavReader_GetLedConfiguration(&result, reader, 1, &led);
    CHECK_OK(result);
    CHECK(led.LedState == 2 && led.HostControlFlag == 1);
    TavReader_WriteUserDefaultsToReader(&result, reader);
    CHECK_OK(result);
    TavReader_ResetReaderConfiguration(&result, reader, 2);
    CHECK_OK(result);
    TavReader_ResetReaderConfiguration(&result, reader, 7);
    CHECK(result.Code == 1 && std::string(result.Message) == "Unsupported checkpoint type.");
}

void HwgBackup(void* reader, const std::filesystem::path& folder) {
    TavResult result;
    const std::string file = (folder / "backup.hwg").string();
    TavReader_ReadHwgFileFromReader(&result, reader, file.c_str(), true);
    CHECK_OK(result);
    CHECK(std::filesystem::exists(file));
    TavReader_WriteHwgFileToReader(&result, reader, file.c_str());
    CHECK_OK(result);
    const std::string wrongExtension = (folder / "backup.HWG").string();
    TavReader_WriteHwgFileToReader(&result, reader, wrongExtension.c_str());
    CHECK(result.Code == 1 && std::string(result.Message) == "File '" + wrongExtension + "' is not a valid HWG file.");
}

void Identity(void* reader) {
    TavResult result;
    TavReader_SetLuid(&result, reader, 0x1234);
    CHECK_OK(result);
    TavProtocol::LuidResponseInformation luid{};
    TavReader_GetLuid(&result, reader, &luid);
    CHECK_OK(result);
    CHECK((luid.FirstWord & 0xFFFF) == 0x1234);

    TavReader_Beep(&result, reader, 2, 0);
    CHECK_OK(result);
    TavReader_SetBeeperVolume(&result, reader, TavProtocol::BeepVolume{2});
    CHECK_OK(result);
    uint8_t volume = 0;
    TavReader_GetBeeperVolume(&result, reader, &volume);
    CHECK_OK(result);
    CHECK(volume == 2);

    TavCardTypeList* cardTypes = new TavCardTypeList;
    TavReader_GetSupportedCardTypes(&result, reader, cardTypes);
    CHECK_OK(result);
    CHECK(cardTypes->Count == 2 && cardTypes->CardTypes[0].code == 0x0206 && cardTypes->CardTypes[1].code == 0x6F06 &&
          std::string(cardTypes->CardTypes[0].name) == "ALLEGION_HCE" && cardTypes->CardTypes[2].code == 0);
    delete cardTypes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <serial_reader_sim> <work folder> [simulator option...]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[2];
    std::filesystem::create_directories(folder);
    Simulator simulator(argv[1], std::vector<std::string>(argv + 3, argv + argc));
    const std::string port = simulator.ReadLine();
    if (!CHECK(!port.empty())) {
        return HostCheck::Finish("serial_host");
    }

    TavResult result;
    const TavCommon::ReaderDefinition definition = HostCheck::SerialDefinition(port);
    void* reader = TavReader_Open(&result, &definition, 0);
    if (!CHECK_OK(result) || !CHECK(reader != nullptr)) {
        return HostCheck::Finish("serial_host");
    }
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"Init",
         [&] {
             Tav_Init(&result, reader);
             CHECK_OK(result);
             Metadata(reader);
         }},
        {"CardByPolling", [&] { CardByPolling(reader, simulator); }},
        {"CardByCallback", [&] { CardByCallback(reader, simulator); }},
        {"Identity", [&] { Identity(reader); }},
        {"Configurations", [&] { Configurations(reader); }},
        {"Settings", [&] { Settings(reader); }},
        {"HwgBackup", [&] { HwgBackup(reader, folder); }},
    };
    // Each step builds on the ones before it: the first that fails ends the run.
    for (int number = 1; const auto& [name, step] : steps) {
        if (!RunStep(simulator, number++, name, step)) {
            break;
        }
    }

    Tav_Close(&result, reader);
    CHECK_OK(result);
    // Closed is closed: the handle is no longer followed, and a second close still succeeds.
    Tav_Init(&result, reader);
    CHECK(result.Code == 1 && std::string(result.Message) == "Invalid reader handle");
    Tav_Close(&result, reader);
    CHECK_OK(result);
    return HostCheck::Finish("serial_host");
}
