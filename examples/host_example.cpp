// An example host of libTavelin's flat interface: finds a reader, opens and initialises it, shows
// what it knows about it, waits for a card by callback, reads its LUID and saves an HWG backup of
// its configurations. It changes nothing on the reader.
//
//   tavelin_example [--serial <port>] [--backup <file.hwg>]
//
// The first USB reader found is used; without one, the serial reader on <port> (scripts/
// run-example.sh serves a simulated one on a pseudo-terminal when no reader is attached).
#include <Tavelin.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// The record's own words when a call fails: message, type, source file and line.
bool Succeeded(const TavResult& result, const char* what) {
    if (result.Code == 0) {
        return true;
    }
    std::printf("  %s failed: %s\n    (type '%s', %s:%d in %s)\n", what, result.Message, result.ExceptionType,
                result.File, result.Line, result.Function);
    if (result.HasInnerException != 0) {
        std::printf("    caused by: %s (type '%s', %s:%d)\n", result.InnerMessage, result.InnerExceptionType,
                    result.InnerFile, result.InnerLine);
    }
    return false;
}

// Metadata texts fill their fields; a text may take the whole field.
template <std::size_t Size>
std::string Text(const char (&field)[Size]) {
    return std::string(field, strnlen(field, Size));
}

std::vector<TavCommon::ReaderDefinition> DiscoverUsbReaders() {
    TavResult result;
    uint64_t count = 0;
    Tav_DiscoverUsbReaders(&result, nullptr, &count);
    std::vector<TavCommon::ReaderDefinition> readers(count);
    if (Succeeded(result, "Discovery") && count > 0) {
        Tav_DiscoverUsbReaders(&result, readers.data(), &count);
        if (!Succeeded(result, "Discovery")) {
            readers.clear();
        }
    }
    return readers;
}

TavCommon::ReaderDefinition SerialReader(const std::string& port) {
    TavCommon::ReaderDefinition definition{};
    definition.ProtocolType = 3;  // serial binary
    definition.SerialPortSettings.BaudRate = 115200;
    definition.SerialPortSettings.ByteSize = 8;
    definition.SerialPortSettings.DataBits = 4;  // eight data bits
    definition.SerialPortSettings.StopBits = 1;
    std::strncpy(definition.SerialPortSettings.PortName, port.c_str(),
                 sizeof definition.SerialPortSettings.PortName - 1);
    return definition;
}

void ShowMetadata(const ReaderMetadataStruct& metadata) {
    auto line = [](const char* label, bool available, std::string value) {
        // Texts of several lines keep to the value column.
        for (auto end = value.find('\n'); end != std::string::npos; end = value.find('\n', end + 28)) {
            value.replace(end, 1, "\n" + std::string(27, ' '));
        }
        std::printf("  %-24s %s\n", label, available ? value.c_str() : "(not available)");
    };
    line("Part number:", metadata.PartNumberAvailable != 0, Text(metadata.PartNumber));
    line("ESN:", metadata.EsnAvailable != 0, Text(metadata.Esn));
    line("Model:", metadata.ModelTextAvailable != 0, Text(metadata.ModelText));
    line("Firmware:", metadata.FirmwareVersionTextAvailable != 0, Text(metadata.FirmwareVersionText));
    auto version = [](const uint8_t (&bytes)[6]) {
        const uint32_t number = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
        char text[32];
        std::snprintf(text, sizeof text, "0x%08X (class %u)", number, bytes[4]);
        return std::string(text);
    };
    line("Control firmware:", metadata.ControlFirmwareVersion0Available != 0, version(metadata.ControlFirmwareVersion0));
    line("Radio firmware:", metadata.RadioFirmwareVersion0Available != 0, version(metadata.RadioFirmwareVersion0));
    line("Installed hardware:", metadata.HardwareListTextAvailable != 0, Text(metadata.HardwareListText));
    line("Configurations:", metadata.ConfigurationCountAvailable != 0, std::to_string(metadata.ConfigurationCount));
}

std::atomic<uint32_t> lastBitCount{0};
std::atomic<bool> cardArrived{false};
uint8_t lastCard[32];

// Runs on the library's dispatch thread.
void OnCard(const uint8_t* data, uint32_t bitCount) {
    const std::size_t bytes = std::min<std::size_t>((bitCount + 7) / 8, sizeof lastCard);
    std::memcpy(lastCard, data, bytes);
    lastBitCount = bitCount;
    cardArrived = true;
}

void WaitForCard(void* reader) {
    TavResult result;
    const uint32_t subscription = TavReader_OnCredentialPresented(&result, reader, OnCard, 2);
    if (!Succeeded(result, "Subscribing to cards")) {
        return;
    }
    std::printf("  Present a card (waiting up to 15 s) ...\n");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!cardArrived && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (cardArrived) {
        std::printf("  Card delivered to the callback: %u bits:", lastBitCount.load());
        for (uint32_t i = 0; i < (lastBitCount + 7) / 8 && i < sizeof lastCard; ++i) {
            std::printf(" %02X", lastCard[i]);
        }
        std::printf("\n");
    } else {
        std::printf("  No card was presented.\n");
    }
    TavReader_UnsubscribeCredentialCallback(&result, reader, subscription);
    Succeeded(result, "Unsubscribing");
}

void SaveBackup(void* reader, const std::string& file) {
    TavResult result;
    TavReader_ReadHwgFileFromReader(&result, reader, file.c_str(), true);
    if (!Succeeded(result, "Saving the HWG backup")) {
        return;
    }
    std::ifstream in(file);
    std::string text;
    int lines = 0;
    std::string first;
    while (std::getline(in, text)) {
        if (lines++ == 0) {
            first = text;
        }
    }
    std::printf("  Saved %s and read it back: %d lines, beginning \"%s\"\n", file.c_str(), lines, first.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    std::string serialPort;
    std::string backup = "tavelin-backup.hwg";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--serial") == 0) {
            serialPort = argv[i + 1];
        } else if (std::strcmp(argv[i], "--backup") == 0) {
            backup = argv[i + 1];
        }
    }

    Tav::LibraryInfo info{};
    Tav_BuildLibraryInfo(&info);
    std::printf("%s %s (%s)\n\n", info.LibraryName, info.Version, info.Commit);

    std::printf("Discovery:\n");
    const std::vector<TavCommon::ReaderDefinition> readers = DiscoverUsbReaders();
    std::printf("  %zu USB reader(s) found\n", readers.size());
    for (const auto& reader : readers) {
        std::printf("  - %04X:%04X at %s, serial number '%s'\n", reader.VendorId, reader.ProductId,
                    Text(reader.UsbPath).c_str(), Text(reader.SerialNumber).c_str());
    }
    TavCommon::ReaderDefinition definition;
    if (!readers.empty()) {
        definition = readers.front();
        std::printf("  Using the first USB reader.\n\n");
    } else if (!serialPort.empty()) {
        definition = SerialReader(serialPort);
        std::printf("  Using the serial reader on %s.\n\n", serialPort.c_str());
    } else {
        std::printf("  No reader to use: attach one, or name a serial port with --serial.\n");
        return 1;
    }

    TavResult result;
    std::printf("Open and Init:\n");
    void* reader = TavReader_Open(&result, &definition, 2);
    if (!Succeeded(result, "Opening the reader")) {
        return 1;
    }
    Tav_Init(&result, reader);
    int status = Succeeded(result, "Init") ? 0 : 1;
    if (status == 0) {
        std::printf("  Ready.\n\nMetadata:\n");
        auto metadata = std::make_unique<ReaderMetadataStruct>();
        Tav_GetMetadataStruct(&result, reader, metadata.get(), false);
        if (Succeeded(result, "Reading the metadata")) {
            ShowMetadata(*metadata);
        }

        std::printf("\nCards:\n");
        WaitForCard(reader);

        std::printf("\nLUID:\n");
        TavProtocol::LuidResponseInformation luid{};
        TavReader_GetLuid(&result, reader, &luid);
        if (Succeeded(result, "Reading the LUID")) {
            std::printf("  0x%04X\n", luid.FirstWord & 0xFFFF);
        }

        std::printf("\nHWG backup:\n");
        SaveBackup(reader, backup);
    }

    Tav_Close(&result, reader);
    Succeeded(result, "Closing the reader");
    return status;
}
