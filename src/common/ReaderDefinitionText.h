#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Tavelin/ReaderDefinition.h"

namespace TavCommon {

const char* ProtocolTypeText(uint8_t protocolType);
const char* ParityText(uint8_t parity);
const char* FlowControlText(uint8_t flowControl);
const char* DataBitsText(uint8_t dataBits);
const char* StopBitsText(uint8_t stopBits);
// The rate in decimal when it is a known one, "Invalid" for 0, "Unknown" otherwise.
std::string BaudRateText(uint32_t baudRate);

// One-line form of a definition for logs; empty when it cannot be formatted.
std::optional<std::string> FormatReaderDefinition(const ReaderDefinition& definition);

// Fills a definition as discovery reports a USB device: everything zero but ids, path, serial
// number (each cut to its field) and the feature-report protocol type.
ReaderDefinition MakeUsbReaderDefinition(uint16_t vendorId, uint16_t productId, const std::string& usbPath,
                                         const std::string& serialNumber);

}  // namespace TavCommon
