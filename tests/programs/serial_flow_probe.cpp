// Opens a serial transport on a pseudo-terminal with the flow control given as its one argument
// (the library's code), so that a test can read what its init logs.
#include <cstdlib>

#include "sim/PseudoTerminal.h"
#include "sim/SerialDefinition.h"
#include "transport/SerialTransport.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    const TavTest::PseudoTerminal line;
    TavCommon::ReaderDefinition definition = TavTest::SerialDefinition(line.SlaveName());
    definition.SerialPortSettings.FlowControl = static_cast<uint8_t>(std::atoi(argv[1]));
    TavTransport::SerialTransport transport(definition);
    transport.init(0);
    return 0;
}
