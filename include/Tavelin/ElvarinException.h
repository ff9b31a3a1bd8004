#pragma once

#include "Tavelin/Export.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

// Base of the library's exception family. Every throw site records where it failed, so the
// result records that leave the library can say so.
class TAV_API ElvarinException : public std::runtime_error {
public:
    ElvarinException(const char* message, const char* file, int line, const char* function);
    ElvarinException(const std::string& message, const char* file, int line, const char* function);
    ~ElvarinException() override;

    const std::string& Message() const noexcept { return message_; }
    const std::string& File() const noexcept { return file_; }
    int32_t Line() const noexcept { return line_; }
    const std::string& Function() const noexcept { return function_; }
    const std::string& TypeName() const noexcept { return typeName_; }

private:
    std::string message_;
    std::string file_;
    int32_t line_;
    std::string function_;
    std::string typeName_;
};

namespace TavCommon {

// Range check of a value type's setter: returns when minimum <= value <= maximum, else throws
// "<property> setting must be between <minimum> and <maximum> inclusive". The failure names this
// header as its source, whichever setter called it.
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
