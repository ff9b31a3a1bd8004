#pragma once

#include <cstdint>
#include <string>

namespace TavProtocol {

// The first member of a configuration block found outside its valid range, for the range message
// "<PropertyName> setting must be between <Minimum> and <Maximum> inclusive".
struct ConfigurationRangeViolation {
    std::string PropertyName;  // "<Block>::<Member>", e.g. "ReaderConfigurationBlock1::FacDigitCount"
    uint32_t Value = 0;
    uint32_t Minimum = 0;
    uint32_t Maximum = 0;
};

}  // namespace TavProtocol
