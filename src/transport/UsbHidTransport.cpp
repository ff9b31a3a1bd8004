#include "transport/UsbHidTransport.h"

#include <fmt/format.h>
#include <hidapi.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>

#include "common/FixedText.h"
#include "common/Logger.h"
#include "common/SourceLocation.h"
#include "common/TimeDelay.h"
#include "transport/HidapiLock.h"
#include "transport/PayloadText.h"
#include "transport/TransportException.h"
#include "transport/WideText.h"

namespace TavTransport {

namespace {

const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();

constexpr int kPauseBetweenAttemptsMs = 500;

// The lines these errors' records carry, whatever the layout of this file.
constexpr int kIncompatibleProtocolLine = 40;
constexpr int kConnectFailedLine = 58;
constexpr int kNoConnectTypeLine = 90;
constexpr int kNotConnectedOnTransmitLine = 116;
constexpr int kNotConnectedOnReceiveLine = 144;
constexpr int kNodeNotCharacterDeviceLine = 168;
constexpr int kNodeWithoutNumbersLine = 172;
constexpr int kNodeNumbersDifferLine = 176;

}  // namespace

void UsbHidTransport::HidDeviceCloser::operator()(hid_device* device) const { hid_close(device); }

UsbHidTransport::UsbHidTransport(const TavCommon::ReaderDefinition& definition, std::filesystem::path sysfsRoot)
    : Transport(definition), sysfsRoot_(std::move(sysfsRoot)) {
    const auto protocol = static_cast<TavCommon::ProtocolType>(definition.ProtocolType);
    if (protocol != TavCommon::ProtocolType::FeatureReport && protocol != TavCommon::ProtocolType::Mfp24) {
        TAV_THROW_AT(TransportException, "Incompatible protocol type for UsbHidTransport", kIncompatibleProtocolLine);
    }
    vendorId_ = definition.VendorId;
    productId_ = definition.ProductId;
    // A host may fill either field to its last byte, without a terminating NUL.
    serialNumber_ = TavCommon::ReadFixedField(definition.SerialNumber);
    usbPath_ = TavCommon::ReadFixedField(definition.UsbPath);
    if (!serialNumber_.empty()) {
        wideSerialNumber_ = WideText::FromMultibyte(serialNumber_);
    }
    if (!usbPath_.empty()) {
        connectType_ = ByUsbPath;
        if (!WideText::FromMultibyte(usbPath_)) {
            unconvertibleField_ = "UsbPath";
        }
    } else if (!serialNumber_.empty() && !wideSerialNumber_) {
        // Only an open by ids hands the serial number to hidapi; one that cannot be converted must
        // not turn into "any device with these ids". An open by path never looks at it.
        unconvertibleField_ = "SerialNumber";
    }
}

UsbHidTransport::~UsbHidTransport() {
    try {
        TavCommon::Logger::Trace(logger, TavCommon::kTransportCategory, "Deconstructing UsbHidTransport");
    } catch (...) {
        // A destructor must not throw because a log line could not be written.
    }
}

void UsbHidTransport::init(uint32_t retryCount) {
    if (connected_) {
        TavCommon::Logger::Trace(logger, TavCommon::kTransportCategory,
                                 "Transport already connected. Closing and reopening.");
        device_.reset();
        connected_ = false;
    }
    if (unconvertibleField_ != nullptr) {
        TAV_THROW(TransportException,
                  fmt::format("The reader definition's {} cannot be converted to wide characters in the current locale",
                              unconvertibleField_));
    }
    {
        const HidapiLock lock;
        if (hid_init() == -1) {
            throw std::runtime_error(fmt::format("Unable to initialize HIDAPI library. {}", getLibraryErrorMessage()));
        }
    }

    // In 64 bits, so that the largest retry count does not wrap to no attempt at all.
    const uint64_t attempts = uint64_t{retryCount} + 1;
    // The transport's refusals are final; any other failure (a node not there yet, a busy device)
    // may pass on a later attempt.
    try {
        AttemptOpen();
        connected_ = true;
        TavCommon::Logger::Info(logger, TavCommon::kTransportCategory, "Connected to reader after {} retries.", 0);
        return;
    } catch (const TransportException&) {
        throw;
    } catch (const std::runtime_error& error) {
        TavCommon::Logger::Debug(logger, TavCommon::kTransportCategory,
                                 "Retrying to connect to the reader. Is it an MFP24? Will retry up to {} times.",
                                 retryCount);
        TavCommon::Logger::Warn(logger, TavCommon::kTransportCategory, "(Attempt {}) Library error was: {}", 1,
                                error.what());
    }
    TavCommon::TimeDelay pause;
    for (uint64_t attempt = 2;; ++attempt) {
        pause.DelayMilliseconds(kPauseBetweenAttemptsMs);
        if (attempt > attempts) {
            TAV_THROW_AT(TransportException, fmt::format("Unable to connect to the reader after {} attempts", attempts),
                         kConnectFailedLine);
        }
        try {
            AttemptOpen();
            connected_ = true;
            TavCommon::Logger::Info(logger, TavCommon::kTransportCategory, "Connected to reader after {} retries.",
                                    attempt - 1);
            return;
        } catch (const TransportException&) {
            throw;
        } catch (const std::runtime_error&) {
            // Only the first failure is logged.
        }
    }
}

void UsbHidTransport::AttemptOpen() {
    switch (connectType_) {
    case ByIds:
        TavCommon::Logger::Trace(logger, TavCommon::kTransportCategory,
                                 "Attempting to open device with VID: {:04x} PID: {:04x} Serial: {}", vendorId_,
                                 productId_, serialNumber_);
        openByIds(vendorId_, productId_, wideSerialNumber_ ? wideSerialNumber_->c_str() : nullptr);
        return;
    case ByUsbPath:
        TavCommon::Logger::Trace(logger, TavCommon::kTransportCategory, "Attempting to open device at USB bus path: {}",
                                 usbPath_);
        openByUsbPath(usbPath_);
        return;
    default:
        TAV_THROW_AT(TransportException,
                     "No valid connect type was determined. A device path, or a vid/pid/serialnumber combination is "
                     "required.",
                     kNoConnectTypeLine);
    }
}

void UsbHidTransport::openByIds(uint16_t vendorId, uint16_t productId, const wchar_t* serialNumber) {
    const HidapiLock lock;
    device_.reset(hid_open(vendorId, productId, serialNumber));
    if (!device_) {
        throw std::runtime_error(fmt::format("Unable to Open device {:04x}:{:04x}. Library message: {}", vendorId,
                                             productId, getLibraryErrorMessage()));
    }
}

void UsbHidTransport::openByUsbPath(const std::string& busPath) {
    const std::string node = resolveHidrawPathFromUsbPath(busPath);
    if (node.empty()) {
        throw std::runtime_error(fmt::format("Unable to resolve USB bus path '{}' to HID device path", busPath));
    }
    // hidapi takes whatever opens for a hidraw node, and frees garbage (or leaks) when it is not one,
    // so it only sees a node checked here. One that is not there yet (udev may still be making it)
    // fails this attempt only.
    struct stat status {};
    if (::stat(node.c_str(), &status) != 0) {
        const int error = errno;
        throw std::runtime_error(fmt::format("Unable to open device at {} (resolved from {}): {}", node, busPath,
                                             std::generic_category().message(error)));
    }
    if (!S_ISCHR(status.st_mode)) {
        TAV_THROW_AT(TransportException,
                     fmt::format("Unable to open device at {} (resolved from {}): not a character device", node,
                                 busPath),
                     kNodeNotCharacterDeviceLine);
    }
    RequireHidrawDeviceNumbers(node, busPath, status.st_rdev);
    const HidapiLock lock;
    device_.reset(hid_open_path(node.c_str()));
    if (!device_) {
        throw std::runtime_error(fmt::format("Unable to open device at {} (resolved from {}). Library message: {}",
                                             node, busPath, getLibraryErrorMessage()));
    }
}

// A character device with other numbers than the hidraw device sysfs names is some other device
// under that name.
void UsbHidTransport::RequireHidrawDeviceNumbers(const std::string& node, const std::string& busPath,
                                                 dev_t deviceNumber) const {
    const auto expected =
        UsbSysfs::ReadHidrawDeviceNumbers(sysfsRoot_, std::filesystem::path(node).filename().string());
    if (!expected) {
        TAV_THROW_AT(TransportException,
                     fmt::format("Unable to open device at {} (resolved from {}): sysfs gives no device numbers for it",
                                 node, busPath),
                     kNodeWithoutNumbersLine);
    }
    const UsbSysfs::DeviceNumbers actual{::major(deviceNumber), ::minor(deviceNumber)};
    if (actual != *expected) {
        TAV_THROW_AT(TransportException,
                     fmt::format("Unable to open device at {} (resolved from {}): device numbers {}:{}, not the "
                                 "hidraw device's {}:{}",
                                 node, busPath, actual.major, actual.minor, expected->major, expected->minor),
                     kNodeNumbersDifferLine);
    }
}

std::string UsbHidTransport::resolveHidrawPathFromUsbPath(const std::string& busPath) const {
    const auto location = UsbSysfs::ParseUsbBusPath(busPath);
    if (!location) {
        throw std::runtime_error(
            fmt::format("Invalid USB topological path format: '{}'. Expected format like '1-7' or '1-7.2'", busPath));
    }
    auto node = UsbSysfs::FindHidrawNode(sysfsRoot_, *location);
    if (!node) {
        throw std::runtime_error(fmt::format("Unable to open {} directory", (sysfsRoot_ / "class/hidraw").string()));
    }
    return std::move(*node);
}

void UsbHidTransport::transmit(TransportPayload& payload) {
    if (!connected_) {
        TAV_THROW_AT(TransportException, "Cannot transmit data. Transport is not connected. Call init() first.",
                     kNotConnectedOnTransmitLine);
    }
    // Every byte of the phrase goes out, behind the report id; the payload's length is not consulted.
    std::vector<uint8_t> frame;
    frame.reserve(payload.data.size() + 1);
    frame.push_back(kReportId);
    frame.insert(frame.end(), payload.data.begin(), payload.data.end());
    if (payload.kind == ReportType::Output) {
        sendOutputReport(frame.data(), frame.size());
    } else {
        sendFeatureReport(frame.data(), frame.size());
    }
    TavCommon::Logger::Trace(logger, TavCommon::kTransportCategory, "Transmitted {} bytes: [{}]", frame.size(),
                             HexBytes{frame, ", "});
    TavCommon::Logger::Trace(logger, TavCommon::kTransportCategory, "ASCII => [{}]", AsciiBytes{frame});
}

std::vector<uint8_t> UsbHidTransport::receive(TransportPayload& payload) {
    if (!connected_) {
        TAV_THROW_AT(TransportException, "Cannot receive data. Transport is not connected. Call init() first.",
                     kNotConnectedOnReceiveLine);
    }
    TavCommon::Logger::Trace(logger, TavCommon::kTransportCategory, "Receive will attempt to read {} bytes",
                             payload.length);
    // Byte 0 carries the report id; the reply is always the asked length, zero where the device sent less.
    std::vector<uint8_t> buffer(std::size_t{payload.length} + 1, 0);
    buffer[0] = kReportId;
    getFeatureReport(buffer.data(), buffer.size());
    std::vector<uint8_t> reply(buffer.begin() + 1, buffer.end());
    TavCommon::Logger::Trace(logger, TavCommon::kTransportCategory, "Received {} bytes: [{}]", reply.size(),
                             HexBytes{reply, ","});
    return reply;
}

void UsbHidTransport::sendFeatureReport(const uint8_t* data, std::size_t length) {
    if (hid_send_feature_report(device_.get(), data, length) == -1) {
        throw std::runtime_error(
            fmt::format("Unable to send feature report. Library message: {}", getLibraryErrorMessage()));
    }
}

void UsbHidTransport::sendOutputReport(const uint8_t* data, std::size_t length) {
    if (hid_write(device_.get(), data, length) == -1) {
        throw std::runtime_error(
            fmt::format("Unable to send output report. Library message: {}", getLibraryErrorMessage()));
    }
}

void UsbHidTransport::getFeatureReport(uint8_t* buffer, std::size_t length) {
    if (hid_get_feature_report(device_.get(), buffer, length) == -1) {
        throw std::runtime_error(
            fmt::format("Unable to receive feature report. Library message: {}", getLibraryErrorMessage()));
    }
}

std::string UsbHidTransport::getLibraryErrorMessage() const { return WideText::ToUtf8(hid_error(device_.get())); }

}  // namespace TavTransport
