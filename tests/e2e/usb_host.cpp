// A host of the flat interface against simulated USB readers: found by discovery in a fake sysfs
// tree (run inside a mount namespace by sysfs_namespace_exec), reached through the real hidapi
// and the hidraw interposer. A feature-report reader at 1-7 and an MFP24 reader at 1-8.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "HostCheck.h"

namespace {

std::vector<TavCommon::ReaderDefinition> Discover() {
    TavResult result;
    uint64_t count = 0;
    Tav_DiscoverUsbReaders(&result, nullptr, &count);
    CHECK_OK(result);
    std::vector<TavCommon::ReaderDefinition> readers(count);
    Tav_DiscoverUsbReaders(&result, readers.data(), &count);
    CHECK_OK(result);
    return readers;
}

void* OpenAndInit(const TavCommon::ReaderDefinition& definition) {
    TavResult result;
    void* reader = TavReader_Open(&result, &definition, 0);
    if (!CHECK_OK(result) || !CHECK(reader != nullptr)) {
        return nullptr;
    }
    Tav_Init(&result, reader);
    CHECK_OK(result);
    return reader;
}

// A file of this process alone in the temporary folder: other runs of this host may share the folder.
std::filesystem::path ScratchFile(const std::string& name) {
    return std::filesystem::temp_directory_path() / ("tavelin-e2e-" + std::to_string(::getpid()) + "-" + name);
}

void Close(void* reader) {
    TavResult result;
    Tav_Close(&result, reader);
    CHECK_OK(result);
}

// A smart-card configuration file of one blob (type 4, five data bytes) is written into the reader
// and read back by its header.
void SmartCardFile(void* reader) {
    const std::string covered = "[Blob1]\nhdr=4 0 5 0\ndata=DE AD BE EF 01\n";
    const std::filesystem::path file = ScratchFile("smartcard.ini");
    std::ofstream(file) << covered << "[EOF]\niEndOfIniFile=" << HostCheck::Crc32Text(covered) << "\n";
    TavResult result;
    TavReader_WriteSmartCardConfigurationToReader(&result, reader, file.c_str());
    CHECK_OK(result);
    std::filesystem::remove(file);

    auto configuration = std::make_unique<TavCommon::SmartCardConfiguration>();
    configuration->Header.BlobType = 4;
    configuration->Header.DataLength = 5;
    TavReader_ReadSmartCardConfigurationFromReader(&result, reader, configuration.get());
    CHECK_OK(result);
    CHECK(configuration->Data[0] == 0xDE && configuration->Data[4] == 0x01 && configuration->Data[5] == 0);
}

// The BLE Data blob saved to a BLE HWG file and written back from it; a key file is no Data file.
void BleBackup(void* reader) {
    const std::string file = ScratchFile("ble.hwg").string();
    TavResult result;
    TavReader_ReadBleConfigurationFromReader(&result, reader, 1, file.c_str());
    CHECK_OK(result);
    TavReader_WriteBleConfigurationToReader(&result, reader, 1, file.c_str());
    CHECK_OK(result);
    TavReader_WriteBleConfigurationToReader(&result, reader, 2, file.c_str());
    CHECK(result.Code == 1 && result.Line == 860);
    std::filesystem::remove(file);
}

void FeatureReportReader(const TavCommon::ReaderDefinition& definition) {
    void* reader = OpenAndInit(definition);
    if (reader == nullptr) {
        return;
    }
    TavResult result;
    auto metadata = std::make_unique<ReaderMetadataStruct>();
    Tav_GetMetadataStruct(&result, reader, metadata.get(), false);
    CHECK_OK(result);
    CHECK(std::string(metadata->PartNumber) == "TAV-SIM-0001");
    CHECK(metadata->ProtocolType == 1);

    uint8_t card[32];
    uint32_t bitCount = 0;
    TavReader_GetCardData(&result, reader, card, sizeof card, &bitCount, 2);
    CHECK_OK(result);
    CHECK(bitCount == 26 && card[0] == 0x02 && card[3] == 0x40);

    SmartCardFile(reader);
    BleBackup(reader);
    Close(reader);
}

// No bus path: hidapi finds the reader by its ids and serial number through libudev.
void FeatureReportReaderByIds(const TavCommon::ReaderDefinition& found) {
    TavCommon::ReaderDefinition definition{};
    definition.VendorId = found.VendorId;
    definition.ProductId = found.ProductId;
    std::memcpy(definition.SerialNumber, found.SerialNumber, sizeof definition.SerialNumber);
    definition.ProtocolType = 1;
    void* reader = OpenAndInit(definition);
    if (reader == nullptr) {
        return;
    }
    TavResult result;
    uint8_t card[32];
    uint32_t bitCount = 0;
    TavReader_GetCardData(&result, reader, card, sizeof card, &bitCount, 2);
    CHECK_OK(result);
    CHECK(bitCount == 26);
    Close(reader);
}

void Mfp24Reader(TavCommon::ReaderDefinition definition) {
    definition.ProtocolType = 2;
    void* reader = OpenAndInit(definition);
    if (reader == nullptr) {
        return;
    }
    TavResult result;
    auto metadata = std::make_unique<ReaderMetadataStruct>();
    Tav_GetMetadataStruct(&result, reader, metadata.get(), false);
    CHECK_OK(result);
    CHECK(metadata->PartNumberAvailable == 1);
    TavReader_Beep(&result, reader, 1, 0);
    CHECK_OK(result);
    // What MFP24 does not offer is refused clearly, not attempted.
    TavProtocol::LuidResponseInformation luid{};
    TavReader_GetLuid(&result, reader, &luid);
    CHECK(result.Code == 1 && std::string(result.InnerMessage) == "This command is not yet supported with the MFP24 Protocol");
    Close(reader);
}

const TavCommon::ReaderDefinition* At(const std::vector<TavCommon::ReaderDefinition>& readers, const std::string& path) {
    for (const auto& reader : readers) {
        if (path == reader.UsbPath) {
            return &reader;
        }
    }
    return nullptr;
}

}  // namespace

int main() {
    const std::vector<TavCommon::ReaderDefinition> readers = Discover();
    CHECK(readers.size() == 2);
    const TavCommon::ReaderDefinition* feature = At(readers, "1-7");
    const TavCommon::ReaderDefinition* mfp24 = At(readers, "1-8");
    if (!CHECK(feature != nullptr && mfp24 != nullptr)) {
        return HostCheck::Finish("usb_host");
    }
    CHECK(feature->VendorId == 0x5E17 && feature->ProductId == 0x0101);
    CHECK(std::string(feature->SerialNumber) == "SN-FEATURE" && feature->ProtocolType == 1);
    CHECK(mfp24->ProductId == 0x0102 && mfp24->ProtocolType == 1);

    FeatureReportReader(*feature);
    FeatureReportReaderByIds(*feature);
    Mfp24Reader(*mfp24);
    return HostCheck::Finish("usb_host");
}
