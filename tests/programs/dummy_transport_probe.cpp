// Drives a dummy transport from the factory, so that a test can read its log lines: the logger
// takes its levels from the environment once, when the program starts.
#include <cstdio>
#include <cstring>

#include "common/FixedText.h"
#include "transport/TransportFactory.h"

int main() {
    TavCommon::ReaderDefinition definition;
    std::memset(&definition, 0, sizeof definition);
    definition.VendorId = 0x0A1B;
    definition.ProductId = 0x2C3D;
    definition.ProtocolType = static_cast<uint8_t>(TavCommon::ProtocolType::Dummy);
    definition.SerialPortSettings.BaudRate = 1200;
    TavCommon::CopyToFixedField(definition.SerialPortSettings.PortName, "/dev/ttyS7");

    auto transport = TavTransport::TransportFactory::CreateTransport(definition);
    transport->init(3);
    TavTransport::TransportPayload payload{{0x41, 0x00}, 2, TavTransport::ReportType::Feature};
    transport->transmit(payload);
    payload.length = 8;
    const auto reply = transport->receive(payload);
    transport.reset();
    std::printf("reply bytes: %zu\n", reply.size());
    return 0;
}
