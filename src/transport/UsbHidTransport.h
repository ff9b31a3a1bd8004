#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "transport/Transport.h"
#include "transport/UsbSysfs.h"

struct hid_device_;
typedef struct hid_device_ hid_device;

namespace TavTransport {

// A reader on USB HID (feature-report and MFP24 protocols) through hidapi's hidraw back end: opened by
// vendor id, product id and serial number, or by its USB bus path; phrases go out as feature reports
// (or output reports) with report id 0, replies come back as feature reports.
class UsbHidTransport : public Transport {
public:
    enum ConnectType : uint8_t { ByIds = 1, ByUsbPath = 2 };

    // The sysfs root is where the bus path is looked up; tests hand in a fake tree.
    explicit UsbHidTransport(const TavCommon::ReaderDefinition& definition,
                             std::filesystem::path sysfsRoot = UsbSysfs::kDefaultRoot);
    ~UsbHidTransport() override;

    void init(uint32_t retryCount) override;
    std::vector<uint8_t> receive(TransportPayload& payload) override;
    void transmit(TransportPayload& payload) override;

private:
    struct HidDeviceCloser {
        void operator()(hid_device* device) const;
    };

    void AttemptOpen();
    void openByIds(uint16_t vendorId, uint16_t productId, const wchar_t* serialNumber);
    void openByUsbPath(const std::string& busPath);
    void sendFeatureReport(const uint8_t* data, std::size_t length);
    void sendOutputReport(const uint8_t* data, std::size_t length);
    void getFeatureReport(uint8_t* buffer, std::size_t length);
    std::string getLibraryErrorMessage() const;
    std::string resolveHidrawPathFromUsbPath(const std::string& busPath) const;
    // Refuses, for good, a node whose device numbers are not those sysfs gives its hidraw device.
    void RequireHidrawDeviceNumbers(const std::string& node, const std::string& busPath, dev_t deviceNumber) const;

    static constexpr uint8_t kReportId = 0;
    uint8_t connectType_ = ByIds;
    std::unique_ptr<hid_device, HidDeviceCloser> device_;
    bool connected_ = false;
    uint16_t vendorId_ = 0;
    uint16_t productId_ = 0;
    // Narrow texts for logs and the sysfs lookup; hidapi takes the serial number in wide characters.
    std::string serialNumber_;
    std::optional<std::wstring> wideSerialNumber_;
    std::string usbPath_;
    // The definition's field that the locale cannot convert; init refuses to open with it.
    const char* unconvertibleField_ = nullptr;
    std::filesystem::path sysfsRoot_;
};

}  // namespace TavTransport
