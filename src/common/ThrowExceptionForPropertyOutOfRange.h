#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "Tavelin/ElvarinException.h"

namespace TavCommon {

// Range check of a value type's setter. The failure is reported as raised by the exception family
// itself ("ElvarinException"), whichever setter called it, so hosts see one source for every range
// message.
template <typename Value>
void ThrowExceptionForPropertyOutOfRange(std::string_view propertyName, Value value, Value minimum, Value maximum) {
    static_assert(std::is_unsigned_v<Value>, "ranges are compared as unsigned numbers");
    if (minimum <= value && value <= maximum) {
        return;
    }
    std::string message(propertyName);
    message += " setting must be between ";
    message += std::to_string(static_cast<uint64_t>(minimum));
    message += " and ";
    message += std::to_string(static_cast<uint64_t>(maximum));
    message += " inclusive";
    throw ElvarinException(message, "ElvarinException", __LINE__, __func__);
}

}  // namespace TavCommon
