#pragma once

#include "Tavelin/ElvarinException.h"

namespace TavTransport {

// Thrown by the transport factory and the transports' own checks.
class TransportException : public ElvarinException {
public:
    using ElvarinException::ElvarinException;
};

}  // namespace TavTransport
