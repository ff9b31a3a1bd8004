#pragma once

#include <cstdint>

namespace TavProtocol {

// A configuration store: the working configuration in RAM, two stored ones and the factory defaults.
enum class ConfigurationLocation : uint8_t { Ram = 0, FactoryDefaults = 3 };

}  // namespace TavProtocol
