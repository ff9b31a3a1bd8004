#include "transport/UsbDeviceEnumeration.h"

#include <fmt/format.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>

#include "common/Logger.h"

namespace TavTransport {

namespace {

const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();

// idVendor/idProduct as hexadecimal ("0x" optional, trailing characters ignored), low 16 bits kept.
std::optional<uint16_t> ParseUsbId(const std::string& word) {
    try {
        return static_cast<uint16_t>(std::stoul(word, nullptr, 16) & 0xFFFFu);
    } catch (const std::logic_error&) {  // std::invalid_argument, std::out_of_range
        return std::nullopt;
    }
}

std::string JoinDescription(const std::string& manufacturer, const std::string& product) {
    if (manufacturer.empty() || product.empty()) {
        return manufacturer + product;
    }
    return manufacturer + " " + product;
}

// A device unplugged during the scan leaves empty or vanishing attributes: it is skipped, the others
// are still listed.
std::optional<UsbDeviceRecord> ReadUsbDevice(const std::filesystem::path& sysfsRoot,
                                             const std::filesystem::path& folder) {
    const auto vendorWord = UsbSysfs::ReadFirstWord(folder / "idVendor");
    const auto productWord = UsbSysfs::ReadFirstWord(folder / "idProduct");
    const auto location = UsbSysfs::ReadUsbBusLocation(folder);
    if (!vendorWord || !productWord || !location) {
        TavCommon::Logger::Debug(logger, TavCommon::kTransportCategory,
                                 "Skipping USB device {}: its identity attributes cannot be read", folder.string());
        return std::nullopt;
    }
    const auto vendorId = ParseUsbId(*vendorWord);
    const auto productId = ParseUsbId(*productWord);
    if (!vendorId || !productId) {
        TavCommon::Logger::Debug(logger, TavCommon::kTransportCategory,
                                 "Skipping USB device {}: idVendor '{}' or idProduct '{}' is not hexadecimal",
                                 folder.string(), *vendorWord, *productWord);
        return std::nullopt;
    }

    UsbDeviceRecord record;
    record.UsbPath = fmt::format("{}-{}", location->busNumber, location->devpath);
    record.VendorId = *vendorId;
    record.ProductId = *productId;
    record.Description = JoinDescription(UsbSysfs::ReadFirstLine(folder / "manufacturer").value_or(""),
                                         UsbSysfs::ReadFirstLine(folder / "product").value_or(""));
    record.SerialNumber = UsbSysfs::ReadFirstLine(folder / "serial").value_or("");
    record.DevicePath = UsbSysfs::FindHidrawNode(sysfsRoot, *location).value_or("");
    return record;
}

}  // namespace

std::vector<UsbDeviceRecord> enumerateUsbDevicesFromSysfs(const std::filesystem::path& sysfsRoot) {
    std::vector<UsbDeviceRecord> records;
    std::error_code error;
    std::filesystem::directory_iterator entry(sysfsRoot / "bus/usb/devices", error);
    if (error) {
        return records;
    }
    for (; entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        if (error) {
            break;
        }
        const std::string name = entry->path().filename().string();
        // Interfaces ("1-7:1.0") and root hubs ("usb1") are not devices a reader can be.
        if (name.find(':') != std::string::npos || name.rfind("usb", 0) == 0) {
            continue;
        }
        if (auto record = ReadUsbDevice(sysfsRoot, entry->path())) {
            records.push_back(std::move(*record));
        }
    }
    return records;
}

}  // namespace TavTransport
