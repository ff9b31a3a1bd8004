#include "sim/SerialDefinition.h"

#include "common/FixedText.h"

namespace TavTest {

TavCommon::ReaderDefinition SerialDefinition(std::string_view portName, uint32_t baudRate) {
    TavCommon::ReaderDefinition definition{};
    definition.ProtocolType = static_cast<uint8_t>(TavCommon::ProtocolType::SerialBinary);
    auto& settings = definition.SerialPortSettings;
    settings.BaudRate = baudRate;
    settings.Parity = static_cast<uint8_t>(TavCommon::SerialPortParity::None);
    settings.FlowControl = static_cast<uint8_t>(TavCommon::SerialPortFlowControl::None);
    TavCommon::CopyToFixedField(settings.PortName, portName);
    settings.ByteSize = 8;
    settings.DataBits = static_cast<uint8_t>(TavCommon::SerialPortDataBits::Eight);
    settings.StopBits = static_cast<uint8_t>(TavCommon::SerialPortStopBits::One);
    return definition;
}

}  // namespace TavTest
