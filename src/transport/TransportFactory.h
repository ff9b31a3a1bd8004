#pragma once

#include <memory>

#include "Tavelin/ReaderDefinition.h"
#include "transport/Transport.h"

namespace TavTransport {

class TransportFactory {
public:
    // A new, unconnected transport for the definition's protocol type: USB HID for the feature
    // report and MFP24 protocols, serial for the serial binary protocol, the dummy transport for
    // the dummy type. The caller connects it with init. Other types throw TransportException.
    static std::unique_ptr<Transport> CreateTransport(const TavCommon::ReaderDefinition& definition);
};

}  // namespace TavTransport
