#pragma once

#include <functional>
#include <memory>

#include "Tavelin/ReaderDefinition.h"
#include "transport/Transport.h"

namespace TavTransport {

// Lets tests hand the code above the factory a transport of their own (a simulated reader).
// Internal: the shared library does not export it.
using TransportCreator = std::function<std::unique_ptr<Transport>(const TavCommon::ReaderDefinition&)>;

// CreateTransport asks the creator first and uses its transport unless it returns none; an empty
// creator removes the override.
void SetTransportCreatorOverride(TransportCreator creator);

}  // namespace TavTransport
