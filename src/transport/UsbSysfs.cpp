#include "transport/UsbSysfs.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <system_error>

namespace TavTransport::UsbSysfs {

namespace {

bool CanOpen(const std::filesystem::path& file) { return std::ifstream(file).is_open(); }

// The whole text of a small attribute; nullopt when it cannot be read or holds more than limit bytes.
std::optional<std::string> ReadWholeAttribute(const std::filesystem::path& file, std::size_t limit) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream.is_open()) {
        return std::nullopt;
    }
    std::string text(limit + 1, '\0');
    stream.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (stream.bad()) {
        return std::nullopt;
    }
    text.resize(static_cast<std::size_t>(stream.gcount()));
    if (text.size() > limit) {
        return std::nullopt;
    }
    return text;
}

}  // namespace

std::optional<UsbBusLocation> ParseUsbBusPath(const std::string& busPath) {
    int busNumber = 0;
    char chain[64] = {};
    if (std::sscanf(busPath.c_str(), "%d-%63s", &busNumber, chain) != 2) {
        return std::nullopt;
    }
    return UsbBusLocation{busNumber, chain};
}

std::optional<std::string> ReadFirstWord(const std::filesystem::path& file) {
    std::ifstream stream(file);
    std::string word;
    if (!(stream >> word)) {
        return std::nullopt;
    }
    return word;
}

std::optional<std::string> ReadFirstLine(const std::filesystem::path& file) {
    std::ifstream stream(file);
    if (!stream.is_open()) {
        return std::nullopt;
    }
    std::string line;
    std::getline(stream, line);
    return line;
}

std::optional<UsbBusLocation> ReadUsbBusLocation(const std::filesystem::path& deviceFolder) {
    std::ifstream busnum(deviceFolder / "busnum");
    UsbBusLocation location;
    if (!(busnum >> location.busNumber)) {
        return std::nullopt;
    }
    auto devpath = ReadFirstWord(deviceFolder / "devpath");
    if (!devpath) {
        return std::nullopt;
    }
    location.devpath = std::move(*devpath);
    return location;
}

std::optional<std::filesystem::path> FindUsbDeviceFolderAbove(const std::filesystem::path& start) {
    std::string folder = start.string();
    while (true) {
        if (CanOpen(folder + "/busnum") && CanOpen(folder + "/devpath")) {
            return std::filesystem::path(folder);
        }
        const auto slash = folder.rfind('/');
        if (folder.empty() || folder == "/" || slash == std::string::npos || slash == 0) {
            return std::nullopt;
        }
        folder.resize(slash);
    }
}

std::optional<DeviceNumbers> ParseDeviceNumbers(std::string_view text) {
    if (text.ends_with('\n')) {
        text.remove_suffix(1);
    }
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    // from_chars takes no sign or blank, so each part is digits only when it is read whole.
    auto readWhole = [](std::string_view part, unsigned& value) {
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
        return !part.empty() && error == std::errc() && end == part.data() + part.size();
    };
    DeviceNumbers numbers;
    if (!readWhole(text.substr(0, colon), numbers.major) || !readWhole(text.substr(colon + 1), numbers.minor)) {
        return std::nullopt;
    }
    return numbers;
}

std::optional<DeviceNumbers> ReadHidrawDeviceNumbers(const std::filesystem::path& sysfsRoot, const std::string& name) {
    // Anything longer than the largest numbers is not numbers.
    constexpr std::size_t kLongest = sizeof "4294967295:4294967295\n" - 1;
    const auto text = ReadWholeAttribute(sysfsRoot / "class/hidraw" / name / "dev", kLongest);
    if (!text) {
        return std::nullopt;
    }
    return ParseDeviceNumbers(*text);
}

std::optional<std::string> FindHidrawNode(const std::filesystem::path& sysfsRoot, const UsbBusLocation& location) {
    std::error_code error;
    std::filesystem::directory_iterator entry(sysfsRoot / "class/hidraw", error);
    if (error) {
        return std::nullopt;
    }
    for (; entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        if (error) {
            break;
        }
        const std::string name = entry->path().filename().string();
        if (name.rfind("hidraw", 0) != 0) {
            continue;
        }
        std::error_code unresolved;
        const auto device = std::filesystem::canonical(entry->path() / "device", unresolved);
        if (unresolved) {
            continue;
        }
        // Only the nearest USB device counts: a node of one device never matches the hub above it.
        const auto usbDevice = FindUsbDeviceFolderAbove(device);
        if (!usbDevice) {
            continue;
        }
        const auto found = ReadUsbBusLocation(*usbDevice);
        if (found && found->busNumber == location.busNumber && found->devpath == location.devpath) {
            return "/dev/" + name;
        }
    }
    return std::string();
}

}  // namespace TavTransport::UsbSysfs
