#pragma once

#include "Tavelin/ElvarinException.h"

namespace TavProtocol {

// The protocol layer's exception: the facade, visitors and commands throw it.
class ProtocolException : public ElvarinException {
public:
    using ElvarinException::ElvarinException;
};

}  // namespace TavProtocol
