#include "Exception.h"

namespace mn::CppLinuxSerial {

Exception::Exception(const char* file, int line, const std::string& text)
    : std::runtime_error(text), message_(std::string(file) + ":" + std::to_string(line) + ": " + text) {}

Exception::~Exception() = default;

const char* Exception::what() const noexcept { return message_.c_str(); }

}  // namespace mn::CppLinuxSerial
