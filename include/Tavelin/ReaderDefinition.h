#pragma once

#include "Tavelin/Export.h"

#include <cstddef>
#include <cstdint>

namespace TavCommon {

enum class ProtocolType : uint8_t {
    Invalid = 0,
    FeatureReport = 1,
    Mfp24 = 2,
    SerialBinary = 3,
    Dummy = 254,
    UnknownProtocol = 255,
};

enum class SerialPortParity : uint8_t { None = 0, Odd = 1, Even = 2, Mark = 3, Space = 4 };

enum class SerialPortFlowControl : uint8_t {
    None = 0,
    XonXoff = 1,
    RtsCts = 2,
    XonXoffRtsCts = 3,
    DtrDsr = 4,
    XonXoffDtrDsr = 5,
};

// The code is stored, not the number of bits.
enum class SerialPortDataBits : uint8_t { Invalid = 0, Five = 1, Six = 2, Seven = 3, Eight = 4 };

enum class SerialPortStopBits : uint8_t { None = 0, One = 1, Two = 2, OnePointFive = 3 };

// Each enumerator is the rate itself, so a definition's BaudRate holds the plain number.
enum class SerialPortBaudRate : uint32_t {
    Baud9600 = 9600,
    Baud14400 = 14400,
    Baud19200 = 19200,
    Baud32400 = 32400,
    Baud57600 = 57600,
    Baud115200 = 115200,
    Baud230400 = 230400,
    Baud576000 = 576000,
    Baud921600 = 921600,
};

#pragma pack(push, 1)

struct SerialPortSettings {
    uint32_t BaudRate;
    uint8_t Parity;       // SerialPortParity
    uint8_t FlowControl;  // SerialPortFlowControl
    char PortName[256];
    int32_t ByteSize;
    uint8_t DataBits;  // SerialPortDataBits
    uint8_t StopBits;  // SerialPortStopBits
};

struct DeviceId {
    uint16_t VendorId;
    uint16_t ProductId;
    char UsbPath[512];
    char SerialNumber[256];
};

struct ReaderDefinition {
    uint16_t VendorId;
    uint16_t ProductId;
    char UsbPath[512];
    char SerialNumber[256];
    uint8_t ProtocolType;  // TavCommon::ProtocolType
    ::TavCommon::SerialPortSettings SerialPortSettings;
};

#pragma pack(pop)

// Hosts pass these records by value and in arrays: their layout is part of the interface.
static_assert(sizeof(SerialPortSettings) == 268);
static_assert(sizeof(DeviceId) == 772);
static_assert(offsetof(DeviceId, ProductId) == 2);
static_assert(offsetof(DeviceId, UsbPath) == 4);
static_assert(offsetof(DeviceId, SerialNumber) == 516);
static_assert(offsetof(ReaderDefinition, VendorId) == 0);
static_assert(offsetof(ReaderDefinition, ProductId) == 2);
static_assert(offsetof(ReaderDefinition, UsbPath) == 4);
static_assert(offsetof(ReaderDefinition, SerialNumber) == 516);
static_assert(offsetof(ReaderDefinition, ProtocolType) == 772);
static_assert(offsetof(ReaderDefinition, SerialPortSettings) == 773);
static_assert(offsetof(ReaderDefinition, SerialPortSettings) + offsetof(SerialPortSettings, BaudRate) == 773);
static_assert(offsetof(ReaderDefinition, SerialPortSettings) + offsetof(SerialPortSettings, Parity) == 777);
static_assert(offsetof(ReaderDefinition, SerialPortSettings) + offsetof(SerialPortSettings, FlowControl) == 778);
static_assert(offsetof(ReaderDefinition, SerialPortSettings) + offsetof(SerialPortSettings, PortName) == 779);
static_assert(offsetof(ReaderDefinition, SerialPortSettings) + offsetof(SerialPortSettings, ByteSize) == 1035);
static_assert(offsetof(ReaderDefinition, SerialPortSettings) + offsetof(SerialPortSettings, DataBits) == 1039);
static_assert(offsetof(ReaderDefinition, SerialPortSettings) + offsetof(SerialPortSettings, StopBits) == 1040);
static_assert(sizeof(ReaderDefinition) == 1041);
static_assert(alignof(ReaderDefinition) == 1);

}  // namespace TavCommon
