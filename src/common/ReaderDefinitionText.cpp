#include "common/ReaderDefinitionText.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "common/FixedText.h"

namespace TavCommon {

namespace {

template <std::size_t N>
const char* TextAt(const std::array<const char*, N>& texts, uint8_t value) {
    return value < N ? texts[value] : "Unknown";
}

}  // namespace

const char* ProtocolTypeText(uint8_t protocolType) {
    switch (static_cast<ProtocolType>(protocolType)) {
    case ProtocolType::Invalid:
        return "Invalid";
    case ProtocolType::FeatureReport:
        return "FeatureReport";
    case ProtocolType::Mfp24:
        return "Mfp24";
    case ProtocolType::SerialBinary:
        return "SerialBinary";
    case ProtocolType::Dummy:
        return "Dummy";
    case ProtocolType::UnknownProtocol:
        return "UnknownProtocol";
    }
    return "Unknown";
}

const char* ParityText(uint8_t parity) { return TextAt(std::array{"None", "Odd", "Even", "Mark", "Space"}, parity); }

const char* FlowControlText(uint8_t flowControl) {
    return TextAt(std::array{"None", "XonXoff", "RtsCts", "XonXoffRtsCts", "DtrDsr", "XonXoffDtrDsr"}, flowControl);
}

const char* DataBitsText(uint8_t dataBits) { return TextAt(std::array{"Invalid", "5", "6", "7", "8"}, dataBits); }

const char* StopBitsText(uint8_t stopBits) {
    return TextAt(std::array{"None", "One", "Two", "OnePointFive"}, stopBits);
}

std::string BaudRateText(uint32_t baudRate) {
    constexpr std::array<uint32_t, 9> kKnownRates{9600, 14400, 19200, 32400, 57600, 115200, 230400, 576000, 921600};
    if (baudRate == 0) {
        return "Invalid";
    }
    for (const uint32_t rate : kKnownRates) {
        if (rate == baudRate) {
            return std::to_string(baudRate);
        }
    }
    return "Unknown";
}

std::optional<std::string> FormatReaderDefinition(const ReaderDefinition& definition) {
    // Host-filled texts may fill their fields completely, so every %s is bounded by its field.
    const SerialPortSettings& serial = definition.SerialPortSettings;
    const std::string_view portName = ReadFixedField(serial.PortName);
    const std::string baudRate = BaudRateText(serial.BaudRate);
    char settings[256];
    const int settingsLength = std::snprintf(
        settings, sizeof settings,
        "PortName: %.*s, BaudRate: %s, Parity: %s, FlowControl: %s, DataBits: %s, StopBits: %s",
        static_cast<int>(portName.size()), portName.data(), baudRate.c_str(), ParityText(serial.Parity),
        FlowControlText(serial.FlowControl), DataBitsText(serial.DataBits), StopBitsText(serial.StopBits));
    if (settingsLength <= 0) {
        return std::nullopt;
    }
    const std::string_view usbPath = ReadFixedField(definition.UsbPath);
    const std::string_view serialNumber = ReadFixedField(definition.SerialNumber);
    char text[1024];
    const int textLength = std::snprintf(
        text, sizeof text,
        "DeviceId: {VendorId: 0x%04X, ProductId: 0x%04X, UsbPath: %.*s, SerialNumber: %.*s}, ProtocolType: %s, "
        "SerialPortSettings: {%s}",
        static_cast<unsigned>(definition.VendorId), static_cast<unsigned>(definition.ProductId),
        static_cast<int>(usbPath.size()), usbPath.data(), static_cast<int>(serialNumber.size()), serialNumber.data(),
        ProtocolTypeText(definition.ProtocolType), settings);
    if (textLength <= 0) {
        return std::nullopt;
    }
    return std::string(text);
}

ReaderDefinition MakeUsbReaderDefinition(uint16_t vendorId, uint16_t productId, const std::string& usbPath,
                                         const std::string& serialNumber) {
    ReaderDefinition definition;
    std::memset(&definition, 0, sizeof definition);
    definition.VendorId = vendorId;
    definition.ProductId = productId;
    CopyToFixedField(definition.UsbPath, usbPath);
    CopyToFixedField(definition.SerialNumber, serialNumber);
    definition.ProtocolType = static_cast<uint8_t>(ProtocolType::FeatureReport);
    return definition;
}

}  // namespace TavCommon
